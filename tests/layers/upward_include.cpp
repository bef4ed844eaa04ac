// Built only by the test that expects it not to build: the panels may not see the shell.
#include "shell/main_window.h"
