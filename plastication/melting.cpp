// SPDX-License-Identifier: Apache-2.0
#include "plastication/melting.h"
