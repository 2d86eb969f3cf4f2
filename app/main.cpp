#include "app/program.h"

int main(int argc, char** argv) {
    return zimbalo::app::RunProgram(argc, argv);
}
