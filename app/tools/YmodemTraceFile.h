#pragma once
// The YMODEM trace of one tool transfer ("extract.data", "restore.dat" in
// the program's folder), open for as long as this lives and closed on
// every path out.

#include "AppFolders.h"
#include "CGenerator.h"

#include <QFile>

#include <cstdio>

class YmodemTraceFile
{
public:
    explicit YmodemTraceFile(const QString& name)
    {
        g_pYmodemTrace = std::fopen(QFile::encodeName(AppDataFile(name)).constData(), "w");
    }
    ~YmodemTraceFile()
    {
        if (g_pYmodemTrace)
            std::fclose(g_pYmodemTrace);
        g_pYmodemTrace = nullptr;
    }
    YmodemTraceFile(const YmodemTraceFile&) = delete;
    YmodemTraceFile& operator=(const YmodemTraceFile&) = delete;
};
