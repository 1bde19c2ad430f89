// The start-up sequence: prepares the run state, queues a file named on the command line,
// makes sure the shell knows the two file types, runs the main window, and ends.
#pragma once

#include <optional>
#include <string>

// The user-information error text, shown whenever the suite's settings or users can't be had.
inline constexpr const char kUserInformationError[] =
    "Error retrieving user information.\r\n"
    "Please be sure Tavlo Desktop has been properly installed and a user has been setup.";

// The whole sequence. `fileToQueue` is the command line's file (empty when none). Always
// answers false: the framework must not start a message loop after it.
bool RunStartUp(const std::string& fileToQueue);

// Given the lookup of the current user's fragment, settles the current user and QueueFolder:
// a user that was found stays; otherwise the first user by name takes over (the registry's
// "LastUser" is left alone). False when the suite has no user at all. Database failures are
// thrown as ProfileDatabaseError.
bool ResolveStartingUser(const std::optional<std::string>& fragment);

// The name part of a path: the text after its last backslash (all of it when it has none).
std::string FileNamePart(const std::string& path);
