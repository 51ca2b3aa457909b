#pragma once

#include <memory>
#include <string>

class QXCollectionWindow;
class QXContentView;

// The plain view the hosted-service and emergency-address flows show in the main window until
// their own views exist: a centred line of text on a fixed-size content view.
std::shared_ptr<QXContentView> makeHostedFlowView(std::string text);

// Adds the view to the window under the name unless a view of that name is there already.
void addHostedFlowView(QXCollectionWindow& window, const std::string& name, std::string text);
