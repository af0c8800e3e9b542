#include "ui/application.h"

int main(int argc, char** argv) { return velmora::RunApplication(argc, argv); }
