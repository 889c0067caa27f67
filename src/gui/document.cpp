#include "gui/document.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QTextBlock>
#include <QTextDocument>

#include "gui/main_window.h"

namespace xray::gui {

namespace {

// Where QSettings keeps the recent files: ~/.config/xraycalc/xraycalc.conf.
constexpr const char* kOrganisation = "xraycalc";
constexpr const char* kApplication = "xraycalc";
constexpr const char* kRecentFilesKey = "recentFiles";

QString FileFilter() {
  return QString("xraycalc documents (*%1);;JSON files (*.json);;All files (*)")
      .arg(QString::fromUtf8(kDocumentSuffix.data(), static_cast<qsizetype>(kDocumentSuffix.size())));
}

// A name typed without an ending gets the document ending; "x.json" stays.
QString WithDocumentSuffix(const QString& path) {
  if (path.isEmpty() || QFileInfo(path).fileName().contains('.')) return path;
  return path + QString::fromUtf8(kDocumentSuffix.data(), static_cast<qsizetype>(kDocumentSuffix.size()));
}

// A pasted text as the box stores it: "\r\n" is a line break like "\n", and a
// final break adds no empty line (SplitLines' rules, without splitting).
QString PastedText(const std::string& text) {
  QString pasted = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  pasted.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  if (pasted.endsWith('\n')) pasted.chop(1);
  return pasted;
}

QPushButton* ButtonOf(TForm1& form, Button b) {
  switch (b) {
    case Button::ButtonSpectl: return form.ButtonSpectl;
    case Button::ButtonAdded: return form.ButtonAdded;
    case Button::ButtonCalDQE: return form.ButtonCalDQE;
  }
  return nullptr;
}

}  // namespace

DocumentPrompts DialogPrompts() {
  DocumentPrompts p;
  p.open_path = [](QWidget* parent, const QString& start) {
    return QFileDialog::getOpenFileName(parent, "Open Document", start, FileFilter());
  };
  p.save_path = [](QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, "Save Document As", suggested, FileFilter());
  };
  p.unsaved = [](QWidget* parent, const QString& name, const QString& action) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                    QString("The document '%1' has changes that are not saved.").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setInformativeText(QString("Save them before %1?").arg(action));
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
      case QMessageBox::Save: return UnsavedChoice::Save;
      case QMessageBox::Discard: return UnsavedChoice::Discard;
      default: return UnsavedChoice::Cancel;
    }
  };
  return p;
}

std::vector<std::string> LinesOf(const QPlainTextEdit& box) {
  const QTextDocument* doc = box.document();
  std::vector<std::string> lines;
  if (doc->isEmpty()) return lines;
  lines.reserve(static_cast<std::size_t>(doc->blockCount()));
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) lines.push_back(b.text().toStdString());
  return lines;
}

WindowTexts TextsOf(const TForm1& form) {
  WindowTexts texts;
  for (Field f : kAllFields) texts.fields[Index(f)] = form.FieldText(f);
  for (Memo m : kAllMemos) texts.memos[Index(m)] = LinesOf(*form.Box(m));
  return texts;
}

void PlaySteps(TForm1& form, const std::vector<SessionStep>& steps) {
  for (const SessionStep& step : steps) {
    if (const auto* set = std::get_if<SetFieldStep>(&step)) {
      form.SetFieldText(set->field, set->text);
    } else if (const auto* paste = std::get_if<SetMemoStep>(&step)) {
      form.Box(paste->memo)->setPlainText(PastedText(paste->text));
    } else {
      ButtonOf(form, std::get<PressStep>(step).button)->click();
    }
  }
}

DocumentKeeper::DocumentKeeper(TForm1& form, std::function<void(const QString&)> show_error, QObject* parent)
    : QObject(parent), form_(form), show_error_(std::move(show_error)), prompts_(DialogPrompts()) {
  WatchEdits();
}

void DocumentKeeper::WatchEdits() {
  // textEdited comes from a person's typing and pasting only, never from setText.
  for (Field f : kAllFields) connect(form_.Edit(f), &QLineEdit::textEdited, this, [this] { MarkModified(); });
  // The reference tables change only by hand (the handlers read them); the
  // result boxes MemoNEQ and MemoDQE are left out, a press rewrites them.
  for (Memo m : kAllMemos) {
    if (m == Memo::MemoNEQ || m == Memo::MemoDQE) continue;
    connect(form_.Box(m)->document(), &QTextDocument::contentsChanged, this, [this] {
      if (!loading_) MarkModified();
    });
  }
}

QString DocumentKeeper::DisplayName() const { return path_.isEmpty() ? QString("Untitled") : QFileInfo(path_).fileName(); }

void DocumentKeeper::MarkModified() {
  if (modified_) return;
  modified_ = true;
  emit StateChanged();
}

void DocumentKeeper::SetDocument(const QString& path) {
  path_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
  modified_ = false;
  if (!path_.isEmpty()) RememberRecent(path_);
  emit StateChanged();
}

bool DocumentKeeper::MayDiscard(const QString& action) {
  if (!modified_) return true;
  switch (prompts_.unsaved(&form_, DisplayName(), action)) {
    case UnsavedChoice::Save: return Save();
    case UnsavedChoice::Discard: return true;
    case UnsavedChoice::Cancel: break;
  }
  return false;
}

bool DocumentKeeper::New() {
  if (!MayDiscard("starting a new document")) return false;
  loading_ = true;
  form_.ResetToStartUp();
  loading_ = false;
  SetDocument({});
  return true;
}

bool DocumentKeeper::Open() {
  if (!MayDiscard("opening another document")) return false;
  const QString start = path_.isEmpty() ? QDir::currentPath() : QFileInfo(path_).absolutePath();
  const QString path = prompts_.open_path(&form_, start);
  return !path.isEmpty() && Load(path);
}

bool DocumentKeeper::OpenFile(const QString& path) { return MayDiscard("opening another document") && Load(path); }

bool DocumentKeeper::Load(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    show_error_(QString("Cannot open the document '%1': %2.").arg(QDir::toNativeSeparators(path), file.errorString()));
    ForgetRecent(path);
    return false;
  }
  const QByteArray data = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    show_error_(QString("Cannot read the document '%1': %2.").arg(QDir::toNativeSeparators(path), file.errorString()));
    return false;
  }
  std::vector<SessionStep> steps;
  try {
    steps = ParseSessionSteps(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
  } catch (const SessionInputError& e) {
    QString reason = QString::fromUtf8(e.what()).simplified();
    if (reason.endsWith('.')) reason.chop(1);
    show_error_(QString("'%1' is not an xraycalc document: %2.").arg(QDir::toNativeSeparators(path), reason));
    return false;
  }
  // Only now does the window change: back to its start, then the steps.
  loading_ = true;
  form_.ResetToStartUp();
  PlaySteps(form_, steps);
  loading_ = false;
  SetDocument(path);
  return true;
}

bool DocumentKeeper::Save() { return path_.isEmpty() ? SaveAs() : SaveTo(path_); }

bool DocumentKeeper::SaveAs() {
  const QString suggested =
      path_.isEmpty() ? QDir::current().filePath(DisplayName() + QString::fromUtf8(kDocumentSuffix.data())) : path_;
  const QString path = WithDocumentSuffix(prompts_.save_path(&form_, suggested));
  return !path.isEmpty() && SaveTo(path);
}

bool DocumentKeeper::SaveTo(const QString& path) {
  const std::string json = DocumentJson(TextsOf(form_));
  // QSaveFile writes a temporary file beside the target and renames it over
  // the target on commit: the old document stays whole until the new one is.
  QSaveFile file(path);
  const bool ok = file.open(QIODevice::WriteOnly) &&
                  file.write(json.data(), static_cast<qint64>(json.size())) == static_cast<qint64>(json.size()) &&
                  file.commit();
  if (!ok) {
    show_error_(QString("Cannot save the document '%1': %2.").arg(QDir::toNativeSeparators(path), file.errorString()));
    return false;
  }
  SetDocument(path);
  return true;
}

QStringList DocumentKeeper::RecentFiles() const {
  return QSettings(kOrganisation, kApplication).value(kRecentFilesKey).toStringList();
}

void DocumentKeeper::RememberRecent(const QString& path) {
  QStringList files = RecentFiles();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kMaxRecentFiles) files.removeLast();
  QSettings(kOrganisation, kApplication).setValue(kRecentFilesKey, files);
}

void DocumentKeeper::ForgetRecent(const QString& path) {
  QStringList files = RecentFiles();
  if (files.removeAll(QFileInfo(path).absoluteFilePath()) == 0) return;
  QSettings(kOrganisation, kApplication).setValue(kRecentFilesKey, files);
  emit StateChanged();
}

void DocumentKeeper::ClearRecentFiles() {
  QSettings(kOrganisation, kApplication).remove(kRecentFilesKey);
  emit StateChanged();
}

}  // namespace xray::gui
