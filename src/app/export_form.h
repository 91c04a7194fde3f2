// The rules of the export form without a window: the export IN and OUT with their checks, the
// track marks, and what "書出し(&E)" checks before it starts the export.
#pragma once

#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/inout.h"
#include "wav/user_message.h"

namespace tavrin::app {

// Enter in the export IN field: "入力された数値が適切ではありません。" when the text does not
// parse, the media range messages, otherwise stored with exportInSet; an OUT before the new IN is
// cleared. A refusal clears exportInSet.
std::optional<UserMessage> enter_export_in(APP_STATE_INFO& app, const std::string& text);
// Enter in the export OUT field: refused with "OUTポイントがINポイントよりも前になっています。" when
// it lies before the IN (the OUT is then cleared); OUT equal to IN is one frame.
std::optional<UserMessage> enter_export_out(APP_STATE_INFO& app, const std::string& text);

// The checks of "書出し(&E)": both points set, at least one existing track marked. On success
// the job kind is export, the counter is taken one higher, and the prefix and folder are stored
// (a folder or prefix longer than its field is refused rather than cut). Returns the refusal.
std::optional<UserMessage> prepare_export_job(APP_STATE_INFO& app, const std::string& prefix,
                                              const std::string& folder);

}  // namespace tavrin::app
