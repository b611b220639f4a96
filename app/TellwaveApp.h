#pragma once
// The application: reads the command line, picks the link to the repeater, and runs the main
// window until it is closed.

#include <QApplication>

namespace quorvin {

class CTellwaveApp : public QApplication {
  Q_OBJECT
 public:
  CTellwaveApp(int& argc, char** argv);
  // Runs the main window; answers the process's exit status.
  int Run();

 private:
  void LoadStandardTexts();
};

}  // namespace quorvin
