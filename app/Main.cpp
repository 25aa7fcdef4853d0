// The program's entry: the framework starts Qt and runs the application object.
#include "platform/ui/Dialog.h"

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
