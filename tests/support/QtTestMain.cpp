// Test main of the Qt test programs: one QApplication for the whole run, created before any test,
// and a data folder of the run's own, so that the scans a window keeps never reach the user's.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    std::string data = std::filesystem::temp_directory_path().string() + "/zelk-data-XXXXXX";
    if (::mkdtemp(data.data()) == nullptr) {
        return 1;
    }
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(data, ignored);
    return result;
}
