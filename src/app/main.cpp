// Quandrel's start-up.
#include "values/Files.h"

int main() {
    InitialiseProcess();
    return 0;
}
