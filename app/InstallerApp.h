// The program's application object: its initialisation is the whole start-up sequence.
#pragma once

#include "framework/Application.h"

class CInstallerApp : public Application {
 public:
  bool Initialize() override;
};
