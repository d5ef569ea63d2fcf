// Program entry: start-up, then the one run.
#include "run/main-routine.h"

int main() {
  StartUp();
  RunMain();
}
