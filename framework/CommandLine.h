// Splitting a Windows command line into arguments, as the C runtime of the program's era does,
// and picking the file a command line asks the program to open.
#pragma once

#include <string>
#include <vector>

// The command line as GetCommandLine gives it, program name first. Blanks (spaces and tabs)
// separate arguments and double quotes group them; there is no wildcard expansion. In an
// argument, 2n backslashes before a quote give n backslashes and the quote groups; 2n+1
// backslashes give n backslashes and a literal quote; other backslashes are literal. Inside
// quotes, two quotes in a row give one literal quote and end the quoted part. The program name
// is taken plainly: up to the closing quote when quoted (the next argument starts right after
// it), else to the first blank.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The first argument after the program name that is neither empty nor a switch (beginning
// with "-" or "/"); empty when there is none. Later arguments are ignored.
std::string FileToOpen(const std::vector<std::string>& arguments);
