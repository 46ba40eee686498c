#include "app/shell.h"

int main(int argc, char** argv) { return corelens::run_posix(argc, argv); }
