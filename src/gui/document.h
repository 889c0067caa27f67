// The window's document: the file its texts were opened from or saved to,
// whether they have changed since, and the list of recent files.
//
// A document is a session file (see form/document.h). Save writes the texts
// of the nine fields and nine text boxes through a temporary file that then
// replaces the old one, so a failed save never leaves half a document. Open
// reads and checks the whole file first; only a file that is a session
// changes the window, which then goes back to its start-up state and plays
// the steps as `xraycalc-cli session` does, presses and error boxes included.
//
// Unsaved edits are what a person typed or pasted: a field edited by hand, a
// reference table changed, a standard beam chosen. What a press writes (the
// fluence in EditPhtn, the NEQ and DQE boxes) is saved with the document but
// is a result, not an edit.
#pragma once

#include <QObject>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "form/document.h"
#include "form/session.h"

class TForm1;

namespace xray::gui {

// The answer to "save the changes first?".
enum class UnsavedChoice { Save, Discard, Cancel };

// The questions a document asks a person; tests put their own answers here.
struct DocumentPrompts {
  // A file to open; empty when the person cancels.
  std::function<QString(QWidget* parent, const QString& start)> open_path;
  // A file to save to; empty when the person cancels.
  std::function<QString(QWidget* parent, const QString& suggested)> save_path;
  // Whether to save the changes to the named document before `action` ("closing").
  std::function<UnsavedChoice(QWidget* parent, const QString& name, const QString& action)> unsaved;
};
DocumentPrompts DialogPrompts();

// The lines of a text box as stored (blocks), in full; an empty box has none.
std::vector<std::string> LinesOf(const QPlainTextEdit& box);
// The texts a document keeps, as the window shows them.
WindowTexts TextsOf(const TForm1& form);
// Plays the steps on the window as a person would: types into a field, pastes
// over a whole box, clicks a button (its error box shown as usual).
void PlaySteps(TForm1& form, const std::vector<SessionStep>& steps);

// How many recent files the File menu lists.
inline constexpr int kMaxRecentFiles = 8;

class DocumentKeeper final : public QObject {
  Q_OBJECT

 public:
  DocumentKeeper(TForm1& form, std::function<void(const QString&)> show_error, QObject* parent);

  DocumentPrompts& prompts() { return prompts_; }

  // The file of the document; empty for a new one.
  const QString& path() const { return path_; }
  bool modified() const { return modified_; }
  // The file's name, or "Untitled".
  QString DisplayName() const;

  // The File menu's commands. Each returns whether it was done; a command that
  // would drop unsaved edits asks first, and a failure has shown its message.
  bool New();
  bool Open();
  bool OpenFile(const QString& path);
  bool Save();
  bool SaveAs();
  bool SaveTo(const QString& path);
  // Asks whether to save unsaved edits before `action`; false when the person
  // cancels or the save fails. True at once without unsaved edits.
  bool MayDiscard(const QString& action);
  // Marks the texts as edited (a standard beam typed into the fields, say).
  void MarkModified();

  QStringList RecentFiles() const;
  void ClearRecentFiles();

 signals:
  // The document's name, its modified state or the recent files changed.
  void StateChanged();

 private:
  void WatchEdits();
  // Reads and checks the file, then plays it on the window; no question asked.
  bool Load(const QString& path);
  void SetDocument(const QString& path);
  void RememberRecent(const QString& path);
  void ForgetRecent(const QString& path);

  TForm1& form_;
  std::function<void(const QString&)> show_error_;
  DocumentPrompts prompts_;
  QString path_;
  bool modified_ = false;
  bool loading_ = false;  // the window is being reset or played: no edits by a person
};

}  // namespace xray::gui
