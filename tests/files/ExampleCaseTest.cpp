// The committed example case is exactly what the codec writes for it, and it opens.
#include "ZlewniaCase.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace moravel;

namespace {

QByteArray Committed(const char* name) {
    QFile f(QStringLiteral(MORAVEL_EXAMPLES_DIR "/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

TEST(ExampleCase, CommittedFilesAreTheCodecsOutput) {
    EXPECT_EQ(Committed("zlewnia.kwp"), examples::ZlewniaRainfall().Encode());
    EXPECT_EQ(Committed("zlewnia.kws"), examples::ZlewniaLandUse().Encode());
    EXPECT_EQ(Committed("zlewnia.kwx"), examples::ZlewniaParameters().Encode());
    EXPECT_EQ(Committed("zlewnia.kpr"), QByteArray("zlewnia.kwp\r\nzlewnia.kws\r\nzlewnia.kwx\r\n"));
}

TEST(ExampleCase, ProjectOpensItsFilesFromAnyFolder) {
    QTemporaryDir dir;
    for (const char* name : {"zlewnia.kpr", "zlewnia.kwp", "zlewnia.kws", "zlewnia.kwx"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(MORAVEL_EXAMPLES_DIR "/") + name, dir.filePath(name)));
    const files::ProjectPaths p = files::ReadProjectFile(dir.filePath("zlewnia.kpr"));
    EXPECT_EQ(p.rainfall, dir.filePath("zlewnia.kwp"));
    const files::RainfallRecord rain = files::ReadRainfallFile(p.rainfall);
    EXPECT_EQ(rain.hourCount, QStringLiteral("24"));
    EXPECT_EQ(rain.Hour(11), QStringLiteral("13,6"));
    EXPECT_EQ(files::ReadScsFile(p.scs).ownClassCn[3], QStringLiteral("82"));
    EXPECT_EQ(files::ReadParametersFile(p.parameters).values[3], QStringLiteral("0,004"));
}

}  // namespace
