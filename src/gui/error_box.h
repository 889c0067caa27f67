// The window's error box: a modal message box with the application's title as
// its caption, the error icon, one OK button and the message as its text.
//
// A message may quote a whole field, and a field may hold a megabyte of pasted
// text. Such a message is shown in full in a scrollable, selectable text area
// of bounded size, so the box stays within the screen with its OK button in
// reach; the box's text is the message all the same. Ctrl+C (the platform's
// copy key) copies the message, or the part of it selected in the text area.
#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace xray::gui {

// Prepares box (already given its icon, caption, text and buttons) as above.
void FitErrorBoxToScreen(QMessageBox& box);

// Shows the error box and waits until it is closed.
void ShowErrorBox(QWidget* parent, const QString& text);

}  // namespace xray::gui
