#pragma once

#include <QFile>
#include <QString>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace kordel::testing_support {

// The bytes of a file that must be there.
inline QByteArray contentOf(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Everything a descriptor gives until its end.
inline std::string readAll(int descriptor) {
    std::string bytes;
    char chunk[4096];
    for (ssize_t got; (got = read(descriptor, chunk, sizeof chunk)) > 0;) {
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}

} // namespace kordel::testing_support
