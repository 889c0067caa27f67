// Program entry: the application object, the main window Form1, the message loop.
//
// The program takes one argument, a document to open (`xraycalc FILE`), and
// no options of its own (Qt's own, such as -platform, still work and are taken
// out of the arguments first). It sets no application title: Qt's default,
// the program file's name without its extension, stands on the task bar and
// as the caption of error boxes. Floating-point faults need no setting-up here:
// the calculation core reads them from the status flags after each step.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "gui/main_window.h"
#include "gui/workbench.h"

namespace {

// Without a window system Qt ends the program with a fatal message and an
// abort. While the application object connects to the display, a fatal message
// instead ends the program with a plain explanation and exit code 1.
void NoDisplayHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  std::fprintf(stderr, "%s\n", qPrintable(message));
  if (type == QtFatalMsg) {
    std::fprintf(stderr,
                 "xraycalc: the window cannot be opened: no usable display was found.\n"
                 "  Start it from a desktop session, or under a virtual display: xvfb-run -a xraycalc\n");
    std::fflush(stderr);
    std::_Exit(1);
  }
}

bool DisplayNamed() {
  const auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0';
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char* argv[]) {
#if defined(Q_OS_LINUX)
  if (!DisplayNamed()) {
    std::fprintf(stderr,
                 "xraycalc: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset).\n"
                 "  Start it from a desktop session, or under a virtual display: xvfb-run -a xraycalc\n");
    return 1;
  }
#endif
  const QtMessageHandler previous = qInstallMessageHandler(NoDisplayHandler);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);

  TForm1 Form1;  // builds the window and runs FormCreate
  // The menu bar, the status bar and the documents around the client area.
  xray::gui::Workbench workbench(Form1, TForm1::ShowErrorBox);
  Form1.show();
  // A document named on the command line (the desktop passes the file a
  // person opened) is opened in the window; one that cannot be opened shows
  // why and leaves the window as it started.
  if (argc > 1) workbench.documents().OpenFile(QString::fromLocal8Bit(argv[1]));
  app.exec();
  return 0;
}
