#include "library_manager_app.h"

int main(int argc, char* argv[]) { return runCobblestack(argc, argv); }
