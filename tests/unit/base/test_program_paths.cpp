// Where the program's files live: beside the executable, or in the user's folders when the
// program is installed; and the folders a first write needs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/atomic_file.h"
#include "base/folders.h"
#include "base/program_paths.h"
#include "support/temp_dir.h"

namespace {

mode_t modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

}  // namespace

TEST(ProgramPaths, PortableKeepsEverythingBesideTheExecutable) {
    const ProgramPaths paths("/opt/kolvira");
    EXPECT_FALSE(paths.isInstalled());
    EXPECT_TRUE(paths.updatesEnabled());
    EXPECT_EQ(paths.directory(), "/opt/kolvira/");
    EXPECT_EQ(paths.settingsFile(), "/opt/kolvira/_nustatymai.ini");
    EXPECT_EQ(paths.payerRegister(), "/opt/kolvira/asmenys.txt");
    EXPECT_EQ(paths.outputFolder(), "/opt/kolvira/rinkmenos");
    EXPECT_EQ(paths.templateFolder(), "/opt/kolvira/sablonas");
    EXPECT_EQ(paths.updateRecord(), "/opt/kolvira/load.log");
    EXPECT_EQ(paths.versionFile(), paths.settingsFile());
}

TEST(ProgramPaths, InstalledOnlyInABinFolderBesideShareKolvira) {
    TempDir root;
    const UserFolders user{"/home/ona/.config/kolvira", "/home/ona/Dokumentai"};
    int asked = 0;
    const auto ask = [&] {
        ++asked;
        return user;
    };
    ASSERT_TRUE(createFolders(root.file("usr/bin")).ok());
    ASSERT_TRUE(createFolders(root.file("build/src")).ok());
    ASSERT_TRUE(createFolders(root.file("build/share/kolvira")).ok());

    // A bin folder without the data folder beside it, and a build tree: portable, and the
    // user's folders are not even asked for.
    EXPECT_FALSE(ProgramPaths::installedDataFolder(root.file("usr/bin/")));
    EXPECT_FALSE(ProgramPaths::forProgramFolder(root.file("usr/bin/"), ask).isInstalled());
    EXPECT_FALSE(ProgramPaths::forProgramFolder(root.file("build/src/"), ask).isInstalled());
    EXPECT_FALSE(ProgramPaths::installedDataFolder(root.file("build/share/kolvira/")));
    EXPECT_EQ(asked, 0);

    // A file named like the data folder does not count.
    writeFile(root.file("usr/share"), "");
    EXPECT_FALSE(ProgramPaths::installedDataFolder(root.file("usr/bin")));
    ASSERT_EQ(::unlink(root.file("usr/share").c_str()), 0);

    ASSERT_TRUE(createFolders(root.file("usr/share/kolvira")).ok());
    EXPECT_EQ(ProgramPaths::installedDataFolder(root.file("usr/bin")),
              root.file("usr/share/kolvira/"));
    const ProgramPaths paths = ProgramPaths::forProgramFolder(root.file("usr/bin/"), ask);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(paths.isInstalled());
    EXPECT_FALSE(paths.updatesEnabled());
    EXPECT_EQ(paths.directory(), root.file("usr/bin/"));
    EXPECT_EQ(paths.settingsFile(), "/home/ona/.config/kolvira/_nustatymai.ini");
    EXPECT_EQ(paths.payerRegister(), "/home/ona/.config/kolvira/asmenys.txt");
    EXPECT_EQ(paths.outputFolder(), "/home/ona/Dokumentai/Kolvira/rinkmenos");
    EXPECT_EQ(paths.templateFolder(), root.file("usr/share/kolvira/sablonas"));
    EXPECT_EQ(paths.versionFile(), root.file("usr/share/kolvira/versija.ini"));
}

TEST(ProgramPaths, KeptFilesMakeTheirMissingFoldersWithTheUsualPermissions) {
    TempDir dir;
    const mode_t mask = ::umask(027);
    const std::string file = dir.file("home/.config/kolvira/asmenys.txt");
    EXPECT_TRUE(replaceFileAtomically(file, "Medis;;1;\r\n").ok());
    EXPECT_EQ(readFile(file), "Medis;;1;\r\n");
    EXPECT_EQ(modeOf(dir.file("home")), mode_t{0750});
    EXPECT_EQ(modeOf(dir.file("home/.config/kolvira")), mode_t{0750});
    ::umask(mask);

    // A file where a folder should be: a clear failure, and nothing else is made.
    writeFile(dir.file("blocked"), "");
    const Status refused = replaceFileAtomically(dir.file("blocked/a/b.txt"), "x");
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.message(),
              "Cannot create folder \"" + dir.file("blocked/a") + "\". Not a directory");
    EXPECT_EQ(readFile(dir.file("blocked")), "");
    EXPECT_TRUE(createFolders(dir.file("home/.config")).ok());  // already there
}
