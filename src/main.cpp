#include "app/ui/application.h"

int main(int argc, char** argv) { return kx::RunApplication(argc, argv); }
