// The folder walk enters folders that hold their own files (cloud-sync
// placeholders, deduplicated folders), never links or junctions.
#include "base/reparse_tag.h"

#include <gtest/gtest.h>

namespace quenzel {
namespace {

TEST(ReparseTag, OnlyFoldersThatStandForNoOtherAreEntered)
{
    const struct {
        uint32_t tag;
        bool entered;
        const char* what;
    } rows[] = {
        {ReparseTagSymlink, false, "symbolic link"},
        {ReparseTagMountPoint, false, "junction or mount point"},
        {0xA000001D, false, "Unix-style symbolic link (LX_SYMLINK)"},
        {0xA0001027, false, "container layer link (WCI_LINK_1)"},
        {0, false, "no tag given by the listing"},
        {0x9000001A, true, "cloud placeholder (CLOUD)"},
        {0x9000F01A, true, "cloud placeholder (CLOUD_F)"},
        {0x9000701A, true, "cloud placeholder (CLOUD_7)"},
        {0x9000001C, true, "projected folder (PROJFS)"},
        {0x80000013, true, "deduplicated (DEDUP)"},
        {0x80000017, true, "overlay (WOF)"},
        {0x0000001E, true, "a third party's tag without the surrogate bit"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(WalkEntersReparseFolder(row.tag), row.entered) << row.what;
}

} // namespace
} // namespace quenzel
