/* Links TarvexLogo::TarvexLogo from the installed package and says what the
   start-up settled. */
#include <stdio.h>

#include "tarvex_logo.h"

int main(void) {
  printf("mode %d, edition %d\n", LogoGetMode(), LogoGetEdition());
  return 0;
}
