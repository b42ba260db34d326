// The program's precompiled headers and what nearly every test adds.
#include "app.h"

#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
