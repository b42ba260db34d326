// The headers nearly every source of the program includes, compiled once
// per build for all of its libraries (a precompiled header).
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QList>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>
