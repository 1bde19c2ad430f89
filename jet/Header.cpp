#include "jet/Header.h"

#include <cstring>
#include <vector>

#include "jet/Bytes.h"
#include "jet/Rc4.h"

namespace jet {

const std::uint8_t kHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};

namespace {
constexpr std::size_t kVersionOffset = 0x14;
constexpr std::size_t kCodePageOffset = 0x3C;
constexpr std::size_t kKeyOffset = 0x3E;
constexpr std::size_t kPasswordOffset = 0x42;
constexpr std::size_t kCreationDateOffset = 0x72;
const char kJetMagic[] = "Standard Jet DB";
const char kAceMagic[] = "Standard ACE DB";
}  // namespace

Header ReadHeader(const RandomAccessFile& file, const std::string& name) {
  // Enough for the scrambled part of either format; the page size is not known yet.
  constexpr std::size_t kNeeded = kHeaderEncodedStart + 128;
  std::vector<std::uint8_t> page(kNeeded);
  const std::size_t got = file.ReadAt(0, page.data(), page.size());
  if (got < kNeeded) {
    throw Error(name + ": not an Access database (only " + std::to_string(got) + " bytes long)");
  }
  const bool magicStart = page[0] == 0x00 && page[1] == 0x01 && page[2] == 0x00 && page[3] == 0x00;
  const bool isAce = std::memcmp(page.data() + 4, kAceMagic, sizeof kAceMagic) == 0;
  const bool isJet = std::memcmp(page.data() + 4, kJetMagic, sizeof kJetMagic) == 0;
  if (!magicStart || (!isAce && !isJet)) {
    throw Error(name + ": not an Access database (no Jet signature in the header page)");
  }
  const std::uint8_t version = page[kVersionOffset];
  if (isAce || version >= 2) {
    throw Error(name + ": an ACE (.accdb, Access 2007 or later) database, which is not supported");
  }
  Header header;
  header.format = version == 0 ? &kJet3 : &kJet4;
  const FormatDescription& f = *header.format;
  if (file.Size() < f.pageSize) {
    throw Error(name + ": truncated: " + std::to_string(file.Size()) + " bytes, less than one " +
                std::to_string(f.pageSize) + "-byte page");
  }
  Rc4Apply(kHeaderKey, sizeof kHeaderKey, page.data() + kHeaderEncodedStart, f.headerEncodedLength);
  const std::string where = name + ": header page";
  const Bytes h(page.data(), page.size(), &where);
  header.codePage = h.U16(kCodePageOffset);
  header.databaseKey = h.U32(kKeyOffset);

  // An empty password decodes to zeros; Jet 4 first masks the field with the whole days of the
  // creation date, repeated.
  std::uint8_t mask[4] = {0, 0, 0, 0};
  if (f.passwordMaskedByDate) {
    double created;
    const std::uint64_t bits = h.U64(kCreationDateOffset);
    std::memcpy(&created, &bits, sizeof created);
    if (created > -2147483648.0 && created < 2147483648.0) {
      const std::uint32_t whole = static_cast<std::uint32_t>(static_cast<std::int32_t>(created));
      for (int i = 0; i < 4; ++i) mask[i] = static_cast<std::uint8_t>(whole >> (8 * i));
    }
  }
  for (std::size_t i = 0; i < f.passwordLength; ++i) {
    if ((h.U8(kPasswordOffset + i) ^ mask[i % 4]) != 0) {
      throw Error(name + ": the database has a password, and opening protected databases is not supported");
    }
  }
  return header;
}

}  // namespace jet
