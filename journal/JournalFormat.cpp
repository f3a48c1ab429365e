#include "journal/JournalFormat.h"

#include "common/Error.h"

#include <bit>
#include <optional>
#include <zlib.h>

namespace kordel {

namespace {

constexpr std::string_view Magic = "KORDEL JOURNAL\n";
constexpr char PairsKind = 'P';
constexpr char EndKind = 'E';

// The checksum of zip and PNG: its library computes it many times faster than a table would.
std::uint32_t crc32(std::string_view bytes) {
    return static_cast<std::uint32_t>(
        ::crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

void putLittleEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void putText(std::string& out, std::string_view text) {
    putLittleEndian(out, text.size(), 4);
    out.append(text);
}

std::string sealed(std::string bytes) {
    putLittleEndian(bytes, crc32(bytes), 4);
    return bytes;
}

std::string record(char kind, std::uint32_t count, double elapsed, std::string_view codes) {
    std::string bytes(1, kind);
    putLittleEndian(bytes, count, 4);
    putLittleEndian(bytes, std::bit_cast<std::uint64_t>(elapsed), 8);
    bytes.append(codes);
    return sealed(std::move(bytes));
}

// Reads little-endian fields; every read past the end gives nothing.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t left() const { return bytes_.size() - at_; }
    std::size_t position() const { return at_; }

    std::optional<std::uint64_t> number(int size) {
        if (left() < static_cast<std::size_t>(size)) {
            return std::nullopt;
        }
        std::uint64_t value = 0;
        for (int i = size - 1; i >= 0; --i) {
            value =
                value << 8 | static_cast<std::uint8_t>(bytes_[at_ + static_cast<std::size_t>(i)]);
        }
        at_ += static_cast<std::size_t>(size);
        return value;
    }

    std::optional<std::string_view> bytes(std::uint64_t count) {
        if (left() < count) {
            return std::nullopt;
        }
        const std::string_view taken = bytes_.substr(at_, static_cast<std::size_t>(count));
        at_ += static_cast<std::size_t>(count);
        return taken;
    }

    std::optional<std::string> text() {
        const auto length = number(4);
        const auto taken = length ? bytes(*length) : std::nullopt;
        return taken ? std::optional<std::string>(*taken) : std::nullopt;
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

std::optional<JournalHeader> headerIn(std::string_view payload) {
    Reader in(payload);
    JournalHeader header;
    const auto started = in.number(8);
    const auto separator = in.bytes(1);
    auto bus = in.text();
    std::string* const fields[] = {&header.fields.Edit5, &header.fields.Edit6,
                                   &header.fields.Edit1, &header.fields.Edit2,
                                   &header.fields.Edit3, &header.fields.Edit4};
    for (std::string* field : fields) {
        auto text = in.text();
        if (!text) {
            return std::nullopt;
        }
        *field = std::move(*text);
    }
    if (!started || !separator || !bus || in.left() != 0) {
        return std::nullopt;
    }
    header.startedMs = static_cast<std::int64_t>(*started);
    header.separator = separator->front();
    header.bus = std::move(*bus);
    return header;
}

JournalHeader readHeader(Reader& in, const std::string& name) {
    const auto magic = in.bytes(Magic.size());
    if (!magic || *magic != Magic) {
        throw Error(name + " is not a Kordel journal");
    }
    const auto version = in.number(4);
    if (version && *version > JournalVersion) {
        throw Error(name + " was written by a newer Kordel (journal format " +
                    std::to_string(*version) + "); this one reads format " +
                    std::to_string(JournalVersion));
    }
    const auto length = in.number(4);
    const auto payload = length ? in.bytes(*length) : std::nullopt;
    const auto checksum = payload ? in.number(4) : std::nullopt;
    const auto header = checksum ? headerIn(*payload) : std::nullopt;
    if (version != JournalVersion || !header || *checksum != crc32(*payload)) {
        throw Error(name + " is damaged: its header is incomplete");
    }
    return *header;
}

// Appends the next record's pairs, or tells that there is no whole record left.
bool readRecord(Reader& in, std::string_view bytes, JournalContent& content) {
    const std::size_t start = in.position();
    const auto kind = in.bytes(1);
    const auto count = kind ? in.number(4) : std::nullopt;
    const auto elapsed = count ? in.number(8) : std::nullopt;
    if (!elapsed || (kind->front() != PairsKind && kind->front() != EndKind)) {
        return false;
    }
    const std::uint64_t codeBytes = kind->front() == PairsKind ? *count * 2 : 0;
    const auto codes = in.bytes(codeBytes);
    const std::size_t sealedLength = in.position() - start;
    const auto checksum = codes ? in.number(4) : std::nullopt;
    if (!checksum || *checksum != crc32(bytes.substr(start, sealedLength))) {
        return false;
    }
    content.elapsed = std::bit_cast<double>(*elapsed);
    if (kind->front() == EndKind) {
        content.codes.resize(std::min<std::size_t>(content.codes.size(), *count * 2));
        content.ended = true;
        return false;
    }
    content.codes.insert(content.codes.end(), codes->begin(), codes->end());
    return true;
}

} // namespace

std::string encodeHeader(const JournalHeader& header) {
    std::string payload;
    putLittleEndian(payload, static_cast<std::uint64_t>(header.startedMs), 8);
    payload.push_back(header.separator);
    putText(payload, header.bus);
    for (const std::string* field :
         {&header.fields.Edit5, &header.fields.Edit6, &header.fields.Edit1, &header.fields.Edit2,
          &header.fields.Edit3, &header.fields.Edit4}) {
        putText(payload, *field);
    }
    std::string bytes(Magic);
    putLittleEndian(bytes, JournalVersion, 4);
    putLittleEndian(bytes, payload.size(), 4);
    bytes += payload;
    putLittleEndian(bytes, crc32(payload), 4);
    return bytes;
}

std::string encodePairs(std::string_view codes, double elapsed) {
    return record(PairsKind, static_cast<std::uint32_t>(codes.size() / 2), elapsed, codes);
}

std::string encodeEnd(std::int32_t pairs, double elapsed) {
    return record(EndKind, static_cast<std::uint32_t>(pairs), elapsed, {});
}

JournalContent decodeJournal(std::string_view bytes, const std::string& name) {
    Reader in(bytes);
    JournalContent content;
    content.header = readHeader(in, name);
    while (readRecord(in, bytes, content)) {
    }
    return content;
}

} // namespace kordel
