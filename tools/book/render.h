#pragma once
// orvanel-book render: one article laid out and painted by the reader's text engine.
#include <string>
#include <vector>

// args: CONTAINER --size WxH [--face NAME] [--height N] [--base 1488|224|97] [--first-row N]
// --out FILE.png. Returns the process exit code.
int RenderCommand(const std::vector<std::string>& args);
