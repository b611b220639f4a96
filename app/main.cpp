#include <csignal>

#include "app/SetupApplication.h"

int main(int argc, char** argv) {
  quorvin::SetupApplication::AnswerInfoOptions(argc, argv);
#ifdef SIGXFSZ
  // A file-size limit is a write error like a full disk, shown as such rather than ending the tool.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  quorvin::SetupApplication app(argc, argv);
  return app.Run();
}
