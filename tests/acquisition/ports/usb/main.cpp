#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* Preload = "libumockdev-preload.so.0";

// The test bed works only with its library preloaded: the program starts itself again with it.
// AddressSanitizer would refuse a library loaded ahead of its own runtime.
void preloadTestbed(char** argv) {
    const char* preloaded = std::getenv("LD_PRELOAD");
    if (preloaded != nullptr && std::string(preloaded).find("umockdev") != std::string::npos) {
        return;
    }
    setenv("LD_PRELOAD",
           (std::string(Preload) + (preloaded ? ":" + std::string(preloaded) : "")).c_str(), 1);
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS",
           ("verify_asan_link_order=0" + (asan ? ":" + std::string(asan) : "")).c_str(), 1);
    execv("/proc/self/exe", argv);
}

} // namespace

int main(int argc, char** argv) {
    preloadTestbed(argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
