// SPDX-License-Identifier: Apache-2.0
#include "plastication/solids_conveying.h"

#include <gtest/gtest.h>
