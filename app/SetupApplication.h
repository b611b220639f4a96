#pragma once
// The application: reads the command line, picks the link to the repeater, and runs the main
// window until it is closed.

#include <QApplication>

namespace quorvin {

class SetupApplication : public QApplication {
  Q_OBJECT
 public:
  SetupApplication(int& argc, char** argv);
  // Prints the help or the version and ends the process when the command line asks for either;
  // called before the application is made, so neither needs a display.
  static void AnswerInfoOptions(int& argc, char** argv);
  // Runs the main window; answers the process's exit status.
  int Run();

 private:
  void LoadStandardTexts(bool chinese);
};

}  // namespace quorvin
