#include "Platform/Util/ResourceBundleCheck.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace Talvex::Util {
namespace {

// The layout the resource compiler writes: a header of big-endian 32-bit fields
// ("qres", version, tree, data and name offsets, and flags from version 3 on), a tree
// of fixed-size nodes in which a folder names its children by index, names stored as
// (16-bit length, 32-bit hash, UTF-16 text) and data blocks as (32-bit size, bytes).
const int FOLDER = 0x02;
const int COMPRESSED = 0x01;
const int COMPRESSED_ZSTD = 0x04;
// Qt allocates the size a zlib block declares before it inflates anything: a block
// declaring more than its bytes can ever give would ask for up to 4 GiB, whatever it
// holds.
const quint64 MAX_DEFLATE_RATIO = ResourceBundleCheck::MAX_DEFLATE_RATIO;
// Zstandard's densest form is a 3-byte block header and one byte repeated up to a
// 128 KiB block: no frame gives more than 32768 bytes for each of its own.
const quint64 MAX_ZSTD_RATIO = 32768;
const quint64 ZSTD_MAGIC = 0xfd2fb528;
const quint64 UNKNOWN_SIZE = ~quint64(0);
// Folders within folders; real bundles stay below ten.
const int MAX_DEPTH = 64;

class Walk {
public:
    explicit Walk(const QByteArray& bundle) : bytes(bundle) {}

    bool Run(QString* problem)
    {
        const QString reason = Check();
        if (problem) {
            *problem = reason;
        }
        return reason.isEmpty();
    }

private:
    quint64 Size() const { return static_cast<quint64>(bytes.size()); }

    bool Fits(quint64 offset, quint64 length) const { return offset <= Size() && length <= Size() - offset; }

    quint32 Read32(quint64 at) const
    {
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + at;
        return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
    }

    quint16 Read16(quint64 at) const
    {
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + at;
        return static_cast<quint16>((p[0] << 8) | p[1]);
    }

    QString Check()
    {
        if (!Fits(0, 20) || !bytes.startsWith("qres")) {
            return QStringLiteral("no resource bundle header");
        }
        const quint32 version = Read32(4);
        if (version < 1 || version > 3 || (version == 3 && !Fits(0, 24))) {
            return QStringLiteral("unknown bundle version %1").arg(version);
        }
        tree = Read32(8);
        data = Read32(12);
        names = Read32(16);
        nodeSize = version >= 2 ? 22 : 14;
        // Qt refuses these too, but only after it has mapped the file, and it keeps the
        // mapping: every refused registration would leave one behind.
        if (!Fits(tree, nodeSize) || data >= Size() || names >= Size()) {
            return QStringLiteral("offsets outside the file");
        }
        if (version == 3 && (Read32(20) & ~quint32(COMPRESSED | COMPRESSED_ZSTD)) != 0) {
            return QStringLiteral("unknown bundle flags");
        }
        return Nodes();
    }

    // Breadth first from the root, each node at most once: a child comes after its
    // folder and belongs to that folder alone, so the tree has no loops and no node is
    // reachable by two paths. Qt's readers walk it by path, so it must also stay
    // shallow, and every name must be a path segment that stays what it is.
    QString Nodes()
    {
        const quint64 capacity = (Size() - tree) / nodeSize;
        std::vector<bool> reached(static_cast<std::size_t>(capacity), false);
        std::vector<std::pair<quint32, int>> pending{{0, 0}};
        reached[0] = true;
        for (std::size_t next = 0; next < pending.size(); ++next) {
            const auto [node, depth] = pending[next];
            const quint64 at = tree + quint64(node) * nodeSize;
            if (node != 0 && !NameFits(Read32(at))) {
                return QStringLiteral("name of node %1 outside the file or not a plain name").arg(node);
            }
            const int flags = Read16(at + 4);
            if (!(flags & FOLDER)) {
                if (!DataFits(Read32(at + 10), flags)) {
                    return QStringLiteral("data of node %1 outside the file or claiming too much").arg(node);
                }
                continue;
            }
            const quint32 count = Read32(at + 6);
            const quint32 first = Read32(at + 10);
            if (count == 0) {
                continue;
            }
            if (first <= node || quint64(first) + count > capacity || depth >= MAX_DEPTH) {
                return QStringLiteral("children of node %1 outside the tree").arg(node);
            }
            for (quint32 child = first; child < first + count; ++child) {
                if (reached[child]) {
                    return QStringLiteral("node %1 reached twice").arg(child);
                }
                reached[child] = true;
                pending.emplace_back(child, depth + 1);
            }
        }
        return QString();
    }

    // An empty name, "." or ".." or one holding a "/" would make the path of a node
    // lead somewhere else, to a folder above it for example, and a reader walking the
    // tree by path would go round for ever.
    bool NameFits(quint32 offset) const
    {
        const quint64 at = quint64(names) + offset;
        if (!Fits(at, 6) || !Fits(at + 6, quint64(Read16(at)) * 2)) {
            return false;
        }
        return PlainName(at + 6, Read16(at));
    }

    bool PlainName(quint64 at, quint16 length) const
    {
        const quint16 dot = '.';
        bool dots = length <= 2;
        for (quint16 unit = 0; unit < length; ++unit) {
            const quint16 character = Read16(at + unit * 2u);
            if (character == '/') {
                return false;
            }
            dots = dots && character == dot;
        }
        return length > 0 && !dots;
    }

    bool DataFits(quint32 offset, int flags) const
    {
        const quint64 at = quint64(data) + offset;
        if (!Fits(at, 4) || !Fits(at + 4, Read32(at))) {
            return false;
        }
        const quint32 length = Read32(at);
        switch (flags & (COMPRESSED | COMPRESSED_ZSTD)) {
        case 0:
            return true;
        case COMPRESSED:
            // A zlib block starts with its 4-byte uncompressed size.
            return length >= 4 && Read32(at + 4) <= quint64(length - 4) * MAX_DEFLATE_RATIO;
        case COMPRESSED_ZSTD: {
            const quint64 claimed = ZstdContentSize(at + 4, length);
            return claimed != UNKNOWN_SIZE && claimed <= quint64(length) * MAX_ZSTD_RATIO;
        }
        default:
            return false;
        }
    }

    // The content size a zstd frame's header declares, which Qt allocates before it
    // decompresses; UNKNOWN_SIZE when the header is not there or does not say.
    quint64 ZstdContentSize(quint64 at, quint32 length) const
    {
        if (length < 6 || ReadLittle(at, 4) != ZSTD_MAGIC) {
            return UNKNOWN_SIZE;
        }
        const int descriptor = Byte(at + 4);
        const bool singleSegment = descriptor & 0x20;
        const int sizeBytes[] = {singleSegment ? 1 : 0, 2, 4, 8};
        const int dictionaryBytes[] = {0, 1, 2, 4};
        const int sizeField = sizeBytes[descriptor >> 6];
        const quint64 sizeAt = at + 5 + (singleSegment ? 0 : 1) + dictionaryBytes[descriptor & 0x03];
        if (sizeField == 0 || (descriptor & 0x08) || sizeAt + sizeField > at + length) {
            return UNKNOWN_SIZE;
        }
        return ReadLittle(sizeAt, sizeField) + (sizeField == 2 ? 256 : 0);
    }

    int Byte(quint64 at) const { return static_cast<uchar>(bytes[static_cast<int>(at)]); }

    quint64 ReadLittle(quint64 at, int count) const
    {
        quint64 value = 0;
        for (int index = count - 1; index >= 0; --index) {
            value = (value << 8) | quint64(Byte(at + index));
        }
        return value;
    }

    const QByteArray& bytes;
    quint32 tree = 0;
    quint32 data = 0;
    quint32 names = 0;
    quint32 nodeSize = 0;
};

// The whole of a regular file, or empty with the reason. Opening without blocking keeps
// a FIFO planted under the bundle's name from stalling the caller; what the file holds
// is then read from that one descriptor, so the bytes are those of the file checked.
QByteArray ReadRegularFile(const QString& path, QString& problem)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        problem = qt_error_string(errno);
        return QByteArray();
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        problem = file.errorString();
        return QByteArray();
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = QStringLiteral("not a regular file");
        return QByteArray();
    }
    if (status.st_size > ResourceBundleCheck::MAX_FILE_SIZE) {
        problem = QStringLiteral("bundle too large");
        return QByteArray();
    }
    QByteArray bytes = file.read(status.st_size);
    if (file.error() != QFileDevice::NoError) {
        problem = file.errorString();
        return QByteArray();
    }
    return bytes;
}

} // namespace

bool ResourceBundleCheck::IsWellFormed(const QByteArray& bundle, QString* problem)
{
    return Walk(bundle).Run(problem);
}

bool ResourceBundleCheck::IsWellFormedFile(const QString& path, QString* problem)
{
    return !ReadWellFormedFile(path, problem).isEmpty();
}

QByteArray ResourceBundleCheck::ReadWellFormedFile(const QString& path, QString* problem)
{
    QString reason;
    QByteArray bytes = ReadRegularFile(path, reason);
    if (reason.isEmpty() && !IsWellFormed(bytes, &reason)) {
        bytes.clear();
    }
    if (problem) {
        *problem = reason;
    }
    return reason.isEmpty() ? bytes : QByteArray();
}

} // namespace Talvex::Util
