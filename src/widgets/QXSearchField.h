#pragma once

#include "platform/kit/TableView.h"
#include "widgets/QXTextField.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QXGradient;
class QXToolWindow;

// What the owner of a search field answers: as the suggestion table's data source it filters
// its rows for the typed text (applySearchFilter); as the field's delegate it learns which
// row the user picked with Return or a double click. The field tells a delegate of this kind
// only; any other QXTextFieldDelegate hears the text-field messages alone.
class QXSearchFieldFilterDelegate : public QXTextFieldDelegate {
public:
    virtual void applySearchFilter(const std::string& /*text*/) {}
    virtual void rowEntryPicked(long /*row*/) {}
    virtual void rowEntryDoubleClicked(long /*row*/) {}
};

// A QXTextField that shows suggestions for the text typed so far in a drop-down tool window
// under the field. The owner opens the list (tryShowSuggestions) when it has suggestions; the
// Down arrow opens it too and moves through the rows, Up moves back, Return or Enter picks the
// selected row, Escape closes the list. The list also closes when the text is filtered to no
// rows, when editing ends, on a mouse-down anywhere else in the field's window and when any
// window resigns main status.
//
// The suggestion table is an outlet (setDataView) that awake() moves, with its scroll view,
// into the drop-down; a field given no table gets a one-column table of its own. Fields made
// in code call awake() once the outlet is set, as interface definitions do.
class QXSearchField : public QXTextField, public platform::TableViewDelegate {
public:
    explicit QXSearchField(const platform::Rect& frame = {});
    ~QXSearchField() override;

    void awake() override;

    // The suggestion table (an outlet) and the drop-down that shows it.
    platform::TableView* dataView() const { return _dataView.get(); }
    void setDataView(std::shared_ptr<platform::TableView> dataView);
    QXToolWindow* dropdown() const { return _dropdown.get(); }

    // The suggestion table's data source (not owned). Filtering asks it applySearchFilter when
    // it is a QXSearchFieldFilterDelegate.
    platform::TableViewDataSource* dataSource() const;
    void setDataSource(platform::TableViewDataSource* dataSource);
    void setDropdownGradient(std::shared_ptr<QXGradient> gradient);
    int maximumVisibleSuggestions() const { return _maxVisLines; }
    void setMaximumVisibleSuggestions(int count) { _maxVisLines = count; }
    // Whether held keys other than the navigation keys repeat (the field editor asks).
    std::optional<bool> allowAutoRepeat() override { return _allowAutoRepeat; }
    void setAllowAutoRepeat(bool flag) { _allowAutoRepeat = flag; }
    // The drop-down is on the screen and not on its way out.
    bool isDropDownVisible() const;
    // The text the list was last filtered for; nullopt when none.
    const std::optional<std::string>& lastSearch() const { return _lastSearch; }

    // Filters for the current text (unless it is the last search and `force` is off), then
    // shows, resizes or hides the drop-down to fit the rows.
    void tryShowSuggestions(bool force);
    // Closes the drop-down (faded or at once), forgets the last search and closes the
    // pull-down menu.
    void tidyup(bool fade);
    using QXTextField::tidyup;
    // The table's double action: the selected row goes to the delegate, then the field's
    // action to its target.
    void tryDialSelection();

    std::optional<bool> keyPressed(const platform::Event& event) override;
    void textDidChange(const platform::Notification& notification) override;
    void textDidEndEditing(const platform::Notification& notification) override;
    bool textViewDoCommandBySelector(platform::TextView& textView,
                                     std::string_view selector) override;
    // Every mouse-down in the window passes here (the field observes its skinned window); one
    // outside the field closes the list.
    platform::View* hitTest(platform::Point point) override;
    void viewWillMoveToWindow(platform::Window* window) override;

    void tableViewSelectionDidChange(const platform::Notification& notification) override;

    // "tryDialSelection" besides the text field's actions.
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

private:
    QXSearchFieldFilterDelegate* filterDelegate() const;
    // Fades the drop-down out when it is showing.
    void fadeOutDropdown();

    bool _allowAutoRepeat = false;
    std::shared_ptr<QXToolWindow> _dropdown;
    std::shared_ptr<platform::TableView> _dataView;
    int _maxVisLines = 3;
    std::optional<std::string> _lastSearch;
};
