#include "app/TellwaveApp.h"

int main(int argc, char** argv) {
  quorvin::CTellwaveApp::AnswerInfoOptions(argc, argv);
  quorvin::CTellwaveApp app(argc, argv);
  return app.Run();
}
