#pragma once

#include "platform/kit/TextField.h"

// A text field whose editor refuses copy, cut and paste (and leaves them out of its context
// menu), for entries the user must type twice rather than paste. Inside a skinned window it
// edits in the window's shared editor for such fields.
class QXTextFieldNoCopyPaste : public platform::TextField {
public:
    explicit QXTextFieldNoCopyPaste(const platform::Rect& frame = {});
};
