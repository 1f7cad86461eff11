#include "app/Tavelo.h"

int main(int argc, char** argv) { return TaveloMain(argc, argv); }
