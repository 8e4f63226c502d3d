#include "library_manager_app.h"

int main(int argc, char* argv[]) {
    LibraryManagerApp app(argc, argv);
    return app.run();
}
