// How the operations of the working set talk to a front end. An operation returns the message
// boxes to show, in the order they are to be shown, after it has returned. A Yes/No question is
// asked through a Confirm callback at the moment it comes up (true for Yes) and is not repeated
// among the returned messages, so the front end shows every returned message as it stands.
#pragma once

#include <functional>
#include <vector>

#include "wav/user_message.h"

namespace tavrin::app {

using Confirm = std::function<bool(const UserMessage&)>;
using Messages = std::vector<UserMessage>;

// The caption of a box that names none: the program's display name.
inline constexpr const char* kDisplayName = "MXF Tavrin";

}  // namespace tavrin::app
