#include "app/SetupApplication.h"
#include "host/Process.h"

int main(int argc, char** argv) {
  quorvin::SetupApplication::AnswerInfoOptions(argc, argv);
  quorvin::TreatFileSizeLimitAsWriteError();
  quorvin::SetupApplication app(argc, argv);
  return app.Run();
}
