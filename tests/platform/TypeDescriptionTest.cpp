#include "TypeDescription.h"

#include <QMimeDatabase>
#include <gtest/gtest.h>

using namespace quilder;

namespace {

QString FromDatabase(const QString& name) {
    static const QMimeDatabase database;
    return database.mimeTypeForFile(name, QMimeDatabase::MatchExtension).comment();
}

// Short runs of names are answered by the database itself; long runs from what was learnt.
void AskManyNames() {
    for (int i = 0; i < 600; ++i) {
        const QString name = QStringLiteral("warm-up%1.bin").arg(i);
        ASSERT_EQ(TypeDescriptionOf(name), FromDatabase(name));
    }
}

TEST(TypeDescription, GivesWhatTheDatabaseGivesForEveryKindOfName) {
    AskManyNames();
    // Ordered so that a name sharing a suffix with a special one is asked first and cached.
    const QStringList names = {
        "notes.txt",    "CMakeLists.txt", "cmakelists.TXT", "Makefile",
        "makefile",     "Makefile.am",    "README",         "README.md",
        "readme",       "x.tar.gz",       "y.gz",           "libz.so.1",
        "libz.so.1.2",  "page.1",         "a.b.1",          "FILE.TXT",
        "prog.C",       "prog.c",         "f123.bin",       "f124.bin",
        "noext",        "noext2",         ".bashrc",        "backup~",
        "odd%",         "001.vdr",        "clip.anim1",     "file,v",
        "SConscript.x", "a.b.c.d",        "Ü.txt",          "",
    };
    for (int round = 0; round < 2; ++round)
        for (const QString& name : names)
            EXPECT_EQ(TypeDescriptionOf(name), FromDatabase(name)) << name.toStdString();
}

TEST(TypeDescription, AgreesOnEveryPatternTheDatabaseKnows) {
    AskManyNames();
    const QMimeDatabase database;
    int checked = 0;
    for (const QMimeType& type : database.allMimeTypes()) {
        for (const QString& pattern : type.globPatterns()) {
            QString name = pattern;
            name.replace(QLatin1Char('*'), QLatin1String("x")).replace(QLatin1Char('?'), "q");
            if (name.contains(QLatin1Char('['))) continue;
            for (const QString& variant : {name, name.toUpper(), "two." + name}) {
                ASSERT_EQ(TypeDescriptionOf(variant), FromDatabase(variant))
                    << variant.toStdString();
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 1000);
}

} // namespace
