#include "widgets/QXTextFieldNoCopyPaste.h"

#include "widgets/QXBaseWindow.h"

#include <typeinfo>

QXTextFieldNoCopyPaste::QXTextFieldNoCopyPaste(const platform::Rect& frame) : TextField(frame) {
    // The window picks the barred editor by the field's exact class.
    QXBaseWindow::registerSharedFieldEditorClass(typeid(QXTextFieldNoCopyPaste), false);
}
