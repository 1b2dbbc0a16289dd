#include "app/TovaniApp.h"

int main(int argc, char **argv) { return TovaniApp::main(argc, argv); }
