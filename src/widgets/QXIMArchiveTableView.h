#pragma once

#include "platform/kit/TableView.h"

class QXIMArchiveTableView;

// The message archive's table delegate: deleteSelection answers whether it took the delete key
// (the default, a delegate without it, leaves the key to the platform table).
class QXIMArchiveTableViewDelegate : public platform::TableViewDelegate {
public:
    virtual bool deleteSelection(QXIMArchiveTableView& /*tableView*/) { return false; }
};

// The message archive's table: Delete and forward delete ask the delegate to delete the
// selection, the page keys scroll by a page; Backspace is no delete key here.
class QXIMArchiveTableView : public platform::TableView {
public:
    explicit QXIMArchiveTableView(const platform::Rect& frame = {});

    void keyDown(const platform::Event& event) override;
};
