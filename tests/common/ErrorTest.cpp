#include "common/Error.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

namespace kordel {
namespace {

struct BoxCase {
    std::string message;
    std::string shown;
};

class ErrorBoxText : public testing::TestWithParam<BoxCase> {};

TEST_P(ErrorBoxText, AddsFullStopAfterCharactersAboveIt) {
    EXPECT_EQ(errorBoxText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ErrorBoxText,
    testing::Values(BoxCase{"'abc' is not a valid integer value",
                            "'abc' is not a valid integer value."},
                    BoxCase{"Range check error", "Range check error."},
                    BoxCase{"ends with digit 7", "ends with digit 7."},
                    BoxCase{"Cannot create file /tmp/x/", "Cannot create file /tmp/x/."},
                    BoxCase{"already closed.", "already closed."},
                    BoxCase{"quoted ' '", "quoted ' '"}, BoxCase{"dash -", "dash -"},
                    BoxCase{"", ""}, BoxCase{"Нет файла", "Нет файла."}));

TEST(MessageOf, IsTheTextEachKindOfFailureShows) {
    EXPECT_EQ(messageOf(std::make_exception_ptr(Error(std::string("a\0b", 3)))),
              std::string("a\0b", 3));
    EXPECT_EQ(messageOf(std::make_exception_ptr(std::bad_alloc())), "Out of memory");
    EXPECT_EQ(messageOf(std::make_exception_ptr(std::length_error("too long"))), "too long");
}

} // namespace
} // namespace kordel
