#pragma once
// How the platform's own windows and controls look to a screen reader: role from the class and
// style, name from the window text, states from the control's state.
#include <vector>

#include "platform/access/access_tree.h"

struct Window;

// Fills the role, name, states and screen rectangle of a window's own node.
void DescribeWindow(Window* w, AccessNode* node);

// The items a control draws inside itself (list-box items, bar buttons, pop-up menu items), in
// order; their ids are set by the caller.
struct AccessItem {
    AccessNode node;
};
std::vector<AccessItem> DescribeItems(Window* w);
