#include "Platform/Util/ResourceBundleCheck.h"

#include <QFile>

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
// Deflate turns no more than 1032 output bytes into one input byte. Qt allocates the
// size a zlib block declares before it inflates anything, so a block declaring more
// than its bytes can ever give is damaged or hostile: reading it would ask for up to
// 4 GiB, whatever it holds.
const quint64 MAX_DEFLATE_RATIO = 1032;

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
        if (!Fits(tree, nodeSize) || data > Size() || names > Size()) {
            return QStringLiteral("offsets outside the file");
        }
        return Nodes();
    }

    // Breadth first from the root; a child must come after its folder, so the walk
    // ends and visits every node at most once.
    QString Nodes()
    {
        std::vector<quint32> pending{0};
        const quint64 capacity = (Size() - tree) / nodeSize;
        for (std::size_t next = 0; next < pending.size(); ++next) {
            const quint32 node = pending[next];
            const quint64 at = tree + quint64(node) * nodeSize;
            if (!Fits(at, nodeSize)) {
                return QStringLiteral("node %1 outside the file").arg(node);
            }
            if (node != 0 && !NameFits(Read32(at))) {
                return QStringLiteral("name of node %1 outside the file").arg(node);
            }
            const int flags = Read16(at + 4);
            if (flags & FOLDER) {
                const quint32 count = Read32(at + 6);
                const quint32 first = Read32(at + 10);
                if ((count > 0 && first <= node) || quint64(first) + count > capacity ||
                    pending.size() + count > capacity) {
                    return QStringLiteral("children of node %1 outside the tree").arg(node);
                }
                for (quint32 child = 0; child < count; ++child) {
                    pending.push_back(first + child);
                }
            } else if (!DataFits(Read32(at + 10), flags)) {
                return QStringLiteral("data of node %1 outside the file").arg(node);
            }
        }
        return QString();
    }

    bool NameFits(quint32 offset) const
    {
        const quint64 at = quint64(names) + offset;
        return Fits(at, 6) && Fits(at + 6, quint64(Read16(at)) * 2);
    }

    bool DataFits(quint32 offset, int flags) const
    {
        const quint64 at = quint64(data) + offset;
        if (!Fits(at, 4)) {
            return false;
        }
        const quint32 length = Read32(at);
        if (!Fits(at + 4, length)) {
            return false;
        }
        if (flags & COMPRESSED) {
            // A zlib block starts with its 4-byte uncompressed size.
            return length >= 4 && Read32(at + 4) <= quint64(length - 4) * MAX_DEFLATE_RATIO;
        }
        return !(flags & COMPRESSED_ZSTD) || length > 0;
    }

    const QByteArray& bytes;
    quint32 tree = 0;
    quint32 data = 0;
    quint32 names = 0;
    quint32 nodeSize = 0;
};

} // namespace

bool ResourceBundleCheck::IsWellFormed(const QByteArray& bundle, QString* problem)
{
    return Walk(bundle).Run(problem);
}

bool ResourceBundleCheck::IsWellFormedFile(const QString& path, QString* problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (problem) {
            *problem = file.errorString();
        }
        return false;
    }
    // Mapped, as Qt maps it to register it: the walk touches only the headers of the
    // tree, names and blocks, so a switch between themes never copies whole bundles.
    if (const uchar* mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr) {
        const bool wellFormed = IsWellFormed(
            QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), static_cast<int>(file.size())), problem);
        file.unmap(const_cast<uchar*>(mapped));
        return wellFormed;
    }
    return IsWellFormed(file.readAll(), problem);
}

} // namespace Talvex::Util
