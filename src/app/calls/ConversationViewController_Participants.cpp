#include "app/calls/ConversationView.h"
#include "app/calls/ConversationViewController.h"
#include "app/calls/ParticipantViewController.h"
#include "app/calls/RelatedConversationView.h"
#include "app/calls/RelatedConversationViewController.h"
#include "platform/kit/TextField.h"
#include "widgets/QXCollectionViewItem.h"

#include <algorithm>

namespace {

// Where the rows start: above the buttons row.
constexpr double kRowsBottom = 38;

} // namespace

ParticipantViewController*
ConversationViewController::participantRowFor(const std::shared_ptr<Participant>& party) const {
    // By the party itself: a row that cleaned itself up is no longer its party's delegate.
    for (const auto& row : _participantRows)
        if (row->participant() && row->participant()->isEqualToInterface(party))
            return row.get();
    return nullptr;
}

void ConversationViewController::addParticipantRow(
    const std::shared_ptr<Participant>& participant) {
    if (!participant || !_o.conversationView || participantRowFor(participant))
        return;
    auto row = std::make_shared<ParticipantViewController>(participant, this);
    if (!row->instantiate()) {
        row->cleanup();
        return;
    }
    _participantRows.push_back(row);
    _o.conversationView->addSubview(row->view());
    layoutParticipantRows();
}

void ConversationViewController::removeParticipantRow(
    const std::shared_ptr<Participant>& participant) {
    auto it = std::find_if(_participantRows.begin(), _participantRows.end(), [&](const auto& row) {
        return row->participant() && row->participant()->isEqualToInterface(participant);
    });
    if (it == _participantRows.end())
        return;
    auto row = *it;
    _participantRows.erase(it);
    row->cleanup();
    if (auto view = row->view())
        view->removeFromSuperview();
    layoutParticipantRows();
}

void ConversationViewController::cleanupParticipantRows() {
    auto rows = std::move(_participantRows);
    _participantRows.clear();
    for (const auto& row : rows) {
        row->cleanup();
        if (auto view = row->view())
            view->removeFromSuperview();
    }
}

void ConversationViewController::updateRelatedConversationStrip() {
    auto model = _conversationModel ? _conversationModel->getRelatedConversation() : nullptr;
    if (_relatedStrip && _relatedStrip->relatedConversationModel() == model)
        return;
    removeRelatedConversationStrip();
    if (!model || !_o.conversationView)
        return;
    auto strip = std::make_shared<RelatedConversationViewController>(model, this);
    if (!strip->instantiate()) {
        strip->cleanup();
        return;
    }
    _relatedStrip = strip;
    _o.conversationView->addSubview(strip->view());
    layoutParticipantRows();
}

void ConversationViewController::removeRelatedConversationStrip() {
    auto strip = std::move(_relatedStrip);
    _relatedStrip.reset();
    if (!strip)
        return;
    strip->cleanup();
    if (auto view = strip->view())
        view->removeFromSuperview();
    layoutParticipantRows();
}

void ConversationViewController::layoutParticipantRows() {
    auto* panel = _o.conversationView.get();
    if (!panel || _panelBaseHeight <= 0)
        return;
    double rowsHeight = 0;
    for (const auto& row : _participantRows)
        rowsHeight += row->view()->frame().height();
    // The second call's strip lies below the panel's own controls.
    const double stripHeight = _relatedStrip ? _relatedStrip->view()->frame().height() : 0;
    // The name label gives way to the rows; without rows the panel keeps its own height.
    const double baseRowsArea = _o.holdParticipant ? _o.holdParticipant->frame().height() + 4 : 0;
    const double height =
        stripHeight +
        (_participantRows.empty()
             ? _panelBaseHeight
             : std::max(_panelBaseHeight, _panelBaseHeight - baseRowsArea + rowsHeight));
    if (_o.holdParticipant)
        _o.holdParticipant->setHidden(!_participantRows.empty());
    panel->setFrameSize({panel->frame().width(), height});
    for (const auto& row : {_o.buttonsView, _o.numberEntryView})
        if (row)
            row->setFrameOrigin({row->frame().minX(), stripHeight});
    if (_relatedStrip)
        _relatedStrip->view()->setFrame(platform::Rect(0, 0, panel->frame().width(), stripHeight));
    // The first party on top.
    double y = stripHeight + kRowsBottom + rowsHeight;
    for (const auto& row : _participantRows) {
        auto view = row->view();
        const double h = view->frame().height();
        y -= h;
        view->setFrame(platform::Rect(0, y, panel->frame().width(), h));
    }
    relayoutItem();
}
