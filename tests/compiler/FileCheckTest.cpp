// A program file checked in process: each call builds its own image, so two
// threads check their files at once and each gets its own words.

#include <gtest/gtest.h>

#include <thread>

#include "files/FileCheck.h"

namespace veltra::check {
namespace {

TEST(FileCheck, TwoThreadsCheckingAtOnceEachGetTheirOwnFilesWords) {
    const std::string examples = VELTRA_EXAMPLES;
    const std::string files[] = {examples + "/02-traffic-light.txt", examples + "/05-language-tour.txt"};
    const FileCheck alone[] = {checkFile(files[0], TextEncoding::Windows1251),
                               checkFile(files[1], TextEncoding::Windows1251)};
    for (const FileCheck& check : alone)
        ASSERT_TRUE(check.checked() && check.exitCode == 0 && !check.words.empty())
            << check.file << check.error;
    ASSERT_NE(alone[0].words, alone[1].words);

    int differing[2] = {0, 0};
    const auto checkRepeatedly = [&](int which) {
        for (int round = 0; round < 200; ++round) {
            const FileCheck again = checkFile(files[which], TextEncoding::Windows1251);
            if (again.words != alone[which].words || again.wordLines != alone[which].wordLines)
                ++differing[which];
        }
    };
    std::thread first(checkRepeatedly, 0);
    std::thread second(checkRepeatedly, 1);
    first.join();
    second.join();
    EXPECT_EQ(differing[0], 0);
    EXPECT_EQ(differing[1], 0);
}

} // namespace
} // namespace veltra::check
