// Help ▸ About and Help ▸ Model.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QWidget;

namespace xray::gui {

// The program's name, version, licence and the libraries it is built on (rich text).
QString AboutText();
void ShowAbout(QWidget* parent);

// The page that states the model, every field and every table (Markdown).
QString ModelText();
// A window showing that page; it deletes itself when closed.
QDialog* MakeModelDialog(QWidget* parent);
void ShowModel(QWidget* parent);

}  // namespace xray::gui
