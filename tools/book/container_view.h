#pragma once
// The inspector's commands: expand and check a container file.
#include <string>

// Prints the records of a container readably. Returns the exit status.
int ExpandContainerFile(const std::string& path);
// Validates header, stream and record list; prints "PATH: ok ..." or each fault. Exit status.
int CheckContainerFile(const std::string& path);
