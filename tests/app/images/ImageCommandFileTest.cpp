// Image command files: the lines written, byte for byte; lines that no
// command line can carry stop the writing before the file is touched; the
// import's name, comments and the lines it cannot build; the token import.

#include "CCommandReader.h"
#include "CImage.h"
#include "CLine.h"
#include "COval.h"
#include "CRectangle.h"
#include "ImageTestSupport.h"
#include "TestSupport.h"

#include <QFile>

namespace {

using namespace imagetest;

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class ImageCommandFileTest : public PlatformTest {
protected:
    // Lines as the data list hands them over: a placeholder first, the
    // file's lines after its two header lines, an empty last one.
    static QStringList FileLines(const QStringList &lines)
    {
        return QStringList{QString()} + lines + QStringList{QString()};
    }
};

TEST_F(ImageCommandFileTest, ANewImageWritesItsBlockEmpty)
{
    CImage image;
    const QString path = TempPath("new.cmd");
    image.WriteCommandFile(path, "New");
    EXPECT_EQ(ReadAll(path), QByteArray("// RARU\r\n// 2.000\r\nOUTG 0\r\nIMGN New\r\nIMGB\r\nIMGE\r\nIMGA New\r\n"
                                        "OUTG 1\r\nIMGU?\r\nIMGN?\r\nALLU;*OPC?\r\n"));
}

// A primitive with no line (the base's blank) writes none.
TEST_F(ImageCommandFileTest, PrimitivesWriteTheirLinesInOrder)
{
    CImage image;
    image.AddPrimitive(std::make_unique<CLine>(0, 0, 639, 479, 1));
    image.AddPrimitive(std::make_unique<CPrimitive>());
    image.AddPrimitive(std::make_unique<CRectangle>(5, 6, 14, 25));
    image.AddPrimitive(std::make_unique<COval>(0, 0, 9, 9));
    const QString path = TempPath("three.cmd");
    image.WriteCommandFile(path, "Three");
    EXPECT_EQ(ReadAll(path), QByteArray("// RARU\r\n// 2.000\r\nOUTG 0\r\nIMGN Three\r\nIMGB\r\n"
                                        "LINE Red 0 0 639 479\r\n"
                                        "RECT White  10 20  5 6  GrayPat0\r\n"
                                        "OVAL White  9 9  0 0  GrayPat0\r\n"
                                        "IMGE\r\nIMGA Three\r\nOUTG 1\r\nIMGU?\r\nIMGN?\r\nALLU;*OPC?\r\n"));
}

// Every line is checked before the file is touched: the old file stays,
// the image keeps its primitives, the box names the primitive.
TEST_F(ImageCommandFileTest, ALineNoCommandLineCarriesStopsTheWritingBeforeTheFile)
{
    const struct {
        const char *what;
        QString text;
        QString name;
        QString message;
    } cases[] = {
        {"a quote in a text", "say \"hi\"", "Q",
         "The image \"Q\" was not written: primitive 2 (Text): The name holds a double quote, which a command line "
         "cannot carry."},
        {"a line of 256 characters", QString(233, u'x'), "L",
         "The image \"L\" was not written: primitive 2 (Text) makes a line of 256 characters; a command line holds at "
         "most 255."},
        {"a line end in the name", "fine", "Two\r\nLines",
         "The image \"Two\\x0D\\x0ALines\" was not written: The name holds a carriage return, which a command line "
         "cannot carry."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = TempPath("kept.cmd");
        {
            QFile old(path);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old contents");
        }
        CImage image;
        image.AddPrimitive(std::make_unique<CLine>());
        image.AddPrimitive(std::make_unique<QuotedTextPrimitive>(c.text));
        prompter.ExpectMessage(PromptMatch::Text(c.message), IDOK);
        image.WriteCommandFile(path, c.name);
        EXPECT_EQ(ReadAll(path), QByteArray("old contents"));
        EXPECT_EQ(image.Primitives().size(), 2u);
    }
    // 255 characters go.
    CImage image;
    image.AddPrimitive(std::make_unique<QuotedTextPrimitive>(QString(232, u'x')));
    image.WriteCommandFile(TempPath("fits.cmd"), "F");
    EXPECT_TRUE(ReadAll(TempPath("fits.cmd")).contains("TEXT White 1 1 sys16 \"" + QByteArray(232, 'x') + "\"\r\n"));
}

TEST_F(ImageCommandFileTest, AFileThatCannotBeMadeSaysSo)
{
    CImage image;
    const QString path = TempPath("no/such/folder/x.cmd");
    prompter.ExpectMessage(PromptMatch::Text("Error Creating File\n\n\"" + path + "\" could not be written: No such file or directory."),
                           IDOK, MB_OK | MB_ICONEXCLAMATION);
    image.WriteCommandFile(path, "X");
}

TEST_F(ImageCommandFileTest, ImportTakesTheNameAndTheLinesItBuilds)
{
    const struct {
        const char *what;
        QStringList lines;
        QString name;
        QStringList built;
        QString leftOut; // the box's text; empty: no box
    } cases[] = {
        {"a file as written, the name between blanks",
         {"OUTG 0", "IMGN   Spaced  ", "IMGB", "LINE Red 0 0 639 479", "RECT White  10 20  5 6  GrayPat0", "IMGE",
          "IMGA Spaced", "OUTG 1", "IMGU?", "IMGN?", "ALLU;*OPC?"},
         "Spaced",
         {"LINE Red 0 0 639 479", "RECT White  10 20  5 6  GrayPat0"},
         {}},
        {"lines in lower case", {"imgn low", "imgb", "oval white 9 9 0 0 graypat0", "imge"}, "low",
         {"OVAL White  9 9  0 0  GrayPat0"}, {}},
        {"a comment names a mnemonic", {"IMGN C", "IMGB", "// draw a LINE here", "  // and a RECT", "IMGE"}, "C", {}, {}},
        {"the query does not name the image", {"IMGN?", "IMGN Named", "IMGB", "IMGE"}, "Named", {}, {}},
        {"a line of a class the program cannot build",
         {"IMGN U", "IMGB", "LINE Red 1 1 2 2", "AROW White 1 2 3 4", "XYZW 1", "IMGE"},
         "U",
         {"LINE Red 1 1 2 2"},
         "The image \"U\" was imported without 2 line(s) this program cannot build:\nAROW White 1 2 3 4\nXYZW 1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        OwnerWindow owner;
        CImage image(&owner);
        if (!c.leftOut.isEmpty())
            prompter.ExpectMessage(PromptMatch::Text(c.leftOut), IDOK);
        QStringList lines = FileLines(c.lines);
        EXPECT_TRUE(image.ImportCommandLines(lines));
        EXPECT_TRUE(lines.isEmpty());
        EXPECT_EQ(image.GetName(), c.name);
        EXPECT_EQ(Lines(image), c.built);
        EXPECT_EQ(image.LinesLeftOut(), c.leftOut.isEmpty() ? 0 : 2);
        EXPECT_TRUE(image.IsModified());
        EXPECT_EQ(owner.received, (std::vector<OwnerWindow::Message>{{WM_DATA_CHANGED, ToLParam(&image)}}));
    }
}

// What the writer writes, the import builds again.
TEST_F(ImageCommandFileTest, AWrittenFileImportsToTheSameLines)
{
    CImage image;
    image.AddPrimitive(std::make_unique<COval>(3, 4, 50, 60, 5, 0));
    image.AddPrimitive(std::make_unique<COval>(3, 4, 50, 60, 5, 20));
    image.AddPrimitive(std::make_unique<CLine>(9, 8, 7, 6, 70));
    const QString path = TempPath("again.cmd");
    image.WriteCommandFile(path, "Again");
    QStringList lines = QString::fromLatin1(ReadAll(path)).split(QStringLiteral("\r\n"));
    lines = FileLines(lines.mid(2, lines.size() - 3));
    CImage read;
    read.ImportCommandLines(lines);
    EXPECT_EQ(read.GetName(), "Again");
    EXPECT_EQ(Lines(read), Lines(image));
}

TEST_F(ImageCommandFileTest, TokenImportRunsToTheBlocksEnd)
{
    const struct {
        const char *text;
        bool taken;
        QString name;
        QStringList lines;
    } cases[] = {
        {"Tok LINE Red 0 0 1 1 RECT White 2 2 0 0 GrayPat0 IMGE", true, "Tok",
         {"LINE Red 0 0 1 1", "RECT White  2 2  0 0  GrayPat0"}},
        {"Tok IMGA Tok", true, "Tok", {}},
        {"Tok LINE Red 0 0 1 1", false, "Image", {}},
        {"Tok OUTG 0", false, "Image", {}},
        {"", false, "Image", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        CCommandReader reader;
        reader.SetText(QString::fromLatin1(c.text));
        CImage image;
        EXPECT_EQ(image.ImportTokens(reader), c.taken);
        EXPECT_EQ(image.GetName(), c.name);
        EXPECT_EQ(Lines(image), c.lines);
    }
}

} // namespace
