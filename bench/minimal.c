// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
/* The smallest C program that prints what a successful run prints and reads
   one character: the yardstick for the program's own cost. */
#include <stdio.h>

int main(void) {
  printf("\n\nYour client id is : %s%s\n", "quillbrook", "070419");
  printf("\n*** Press ENTER to exit***\n");
  fflush(stdout);
  (void)getchar();
  return 0;
}
