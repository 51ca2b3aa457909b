#pragma once

#include "engine/OVDialpadModel.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/AttributedString.h"
#include "widgets/QXImageButton.h"

#include <array>
#include <memory>
#include <string>

namespace platform {
class View;
}

// The twelve-key pad, in the main window's module stack or in the floating dialpad window. Its
// keys are styled and labelled from the brand section "Dialpad" and laid out in a 3 x 4 grid; a
// key pressed and released goes to the engine's dialpad model as a press and a release, and the
// key the model says is pressed is shown highlighted.
class DialpadViewController : public platform::Object,
                              public QXImageButtonPr,
                              public OVDialpadModelPro {
public:
    DialpadViewController();
    ~DialpadViewController() override;
    DialpadViewController(const DialpadViewController&) = delete;
    DialpadViewController& operator=(const DialpadViewController&) = delete;

    // The pad's view: the keys' container inside it.
    std::shared_ptr<platform::View> view() const { return _view; }
    platform::View* keysView() const { return _keys.get(); }
    std::shared_ptr<OVDialpadModel> model() const { return _model; }
    // The keys in the order "123456789*0#".
    const std::array<std::shared_ptr<QXImageButton>, 12>& keys() const { return _buttons; }
    QXImageButton* keyFor(char code) const;
    // The character code of the key, 0 for a button that is none of the twelve.
    int keyCodeOf(const QXImageButton& button) const;

    // A key's label from the brand: "\t" and "\n" written as two characters become a tab and
    // a line break; characters inside braces are small and grey, the braces are not shown.
    static platform::AttributedString labelFromBrandText(const std::string& text);

    void buttonWasPressed(QXImageButton& button) override;
    void buttonWasReleased(QXImageButton& button, bool sendAction) override;
    void ovmdDialpadPropertyChanged(const std::string& propertyName) override;

private:
    void layoutKeys();

    std::shared_ptr<platform::View> _view;
    std::shared_ptr<platform::View> _keys;
    std::array<std::shared_ptr<QXImageButton>, 12> _buttons;
    std::shared_ptr<OVDialpadModel> _model;
};
