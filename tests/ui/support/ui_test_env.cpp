#include "support/ui_test_env.h"
