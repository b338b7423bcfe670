#include "SASG.h"
#include <gtest/gtest.h>
