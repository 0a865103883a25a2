// Quandrel's entry point.
#include "app/StartUp.h"

int main(int argc, char** argv) {
    RunProgram(argc, argv);
}
