#include "exchange/model_import.h"

#include "base/ascii.h"

#include "files/file_io.h"
#include "scene/line_record.h"

#include <assimp/IOSystem.hpp>
#include <assimp/Importer.hpp>
#include <assimp/MemoryIOWrapper.h>
#include <assimp/config.h>
#include <assimp/scene.h>

#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numeric>
#include <unordered_set>

namespace torvex::exchange {

namespace {

// Two faces lie in one plane when the sine of the angle between their normals
// is at most this: far below what the grid can show, far above the error of
// the single-precision positions models store.
constexpr double kPlaneTolerance = 1e-4;

// --- Files: every one the library opens is read whole by the one reader -------

struct Bytes {
    std::string data;
};

class ReadStream : private Bytes, public Assimp::MemoryIOStream {
public:
    explicit ReadStream(std::string bytes)
        : Bytes{std::move(bytes)}, MemoryIOStream(reinterpret_cast<const uint8_t*>(data.data()),
                                                  static_cast<size_t>(data.size())) {}
};

class ReaderIoSystem : public Assimp::IOSystem {
public:
    explicit ReaderIoSystem(std::string model) : model_(std::move(model)) {}

    // The model itself always "exists", so that opening it says why it
    // cannot be read.
    bool Exists(const char* file) const override {
        std::error_code ec;
        return file == model_ || std::filesystem::exists(std::filesystem::path(file), ec);
    }
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        if (std::strchr(mode, 'w') || std::strchr(mode, 'a') || std::strchr(mode, '+'))
            return nullptr;
        try {
            std::string bytes = readRegularFile(file);
            if (file == model_)
                modelHead = bytes.substr(0, kHeadBytes);
            return new ReadStream(std::move(bytes));
        } catch (const Failure& failure) {
            if (file == model_)
                modelFailure = failure.what();
            return nullptr;
        }
    }
    void Close(Assimp::IOStream* stream) override { delete stream; }

    std::string modelFailure; // why the model's own file could not be read
    std::string modelHead;    // the start of the model's file, where Collada's <asset> is
    static constexpr size_t kHeadBytes = 64 * 1024;

private:
    std::string model_;
};

// --- The model's edges ----------------------------------------------------------

using Point = std::array<double, 3>;

Point minus(const Point& a, const Point& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Point cross(const Point& a, const Point& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Point& a, const Point& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
double length(const Point& a) {
    return std::sqrt(dot(a, a));
}

// Numbers given to keys as they are first met: an open-addressing table that
// doubles when half full, so a model of a million faces costs no allocation
// per vertex or edge.
template <class Key> class Numbering {
public:
    Numbering() : slots_(1024, Slot{Key{}, kEmpty}) {}

    // The key's number, and whether it was new (and got `next`).
    std::pair<uint32_t, bool> number(const Key& key, uint32_t next) {
        if (2 * (used_ + 1) > slots_.size())
            grow();
        Slot& slot = find(slots_, key);
        if (slot.id != kEmpty)
            return {slot.id, false};
        slot = {key, next};
        ++used_;
        return {next, true};
    }

    // The key's number, if it has one.
    std::optional<uint32_t> find(const Key& key) const {
        const size_t mask = slots_.size() - 1;
        for (size_t i = hash(key) & mask;; i = (i + 1) & mask) {
            if (slots_[i].id == kEmpty)
                return std::nullopt;
            if (slots_[i].key == key)
                return slots_[i].id;
        }
    }

private:
    static constexpr uint32_t kEmpty = UINT32_MAX;
    struct Slot {
        Key key;
        uint32_t id;
    };
    static Slot& find(std::vector<Slot>& table, const Key& key) {
        const size_t mask = table.size() - 1;
        for (size_t i = hash(key) & mask;; i = (i + 1) & mask)
            if (table[i].id == kEmpty || table[i].key == key)
                return table[i];
    }
    void grow() {
        std::vector<Slot> larger(slots_.size() * 2, Slot{Key{}, kEmpty});
        for (const Slot& slot : slots_)
            if (slot.id != kEmpty)
                find(larger, slot.key) = slot;
        slots_.swap(larger);
    }
    static uint64_t mix(uint64_t x) { // splitmix64's finaliser
        x ^= x >> 30;
        x *= 0xBF58476D1CE4E5B9ull;
        x ^= x >> 27;
        x *= 0x94D049BB133111EBull;
        return x ^ (x >> 31);
    }
    static size_t hash(const std::array<uint32_t, 3>& k) {
        return static_cast<size_t>(mix(((uint64_t(k[0]) << 32) | k[1]) ^ mix(k[2])));
    }
    static size_t hash(uint64_t k) { return static_cast<size_t>(mix(k)); }
    std::vector<Slot> slots_;
    size_t used_ = 0;
};

struct Edge {
    uint32_t from, to;     // welded vertices, as the first face or line gives them
    uint32_t faceUses = 0; // polygons that have this edge
    uint32_t face[2]{};    // the first two of them
    bool line = false;     // one of the model's line primitives
};

// The model flattened: welded vertices (equal positions are one vertex),
// polygons with their normals, and every edge once in the order met.
class EdgeCollector {
public:
    uint32_t vertex(const aiVector3D& v) {
        const float zero = 0.0f; // -0 and +0 are one position
        const std::array<uint32_t, 3> key{std::bit_cast<uint32_t>(v.x == 0 ? zero : v.x),
                                          std::bit_cast<uint32_t>(v.y == 0 ? zero : v.y),
                                          std::bit_cast<uint32_t>(v.z == 0 ? zero : v.z)};
        const auto [id, added] = ids_.number(key, static_cast<uint32_t>(points.size()));
        if (added)
            points.push_back({v.x, v.y, v.z});
        return id;
    }

    void polygon(const std::vector<uint32_t>& ids) {
        ++faces;
        Point normal{0, 0, 0}; // Newell's method: sound for any planar polygon
        for (size_t i = 0; i < ids.size(); ++i) {
            const Point& a = points[ids[i]];
            const Point& b = points[ids[(i + 1) % ids.size()]];
            normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
            normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
            normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
        }
        const double n = length(normal);
        if (!(n > 0))
            return lineFace(ids);
        const auto face = static_cast<uint32_t>(normals.size());
        normals.push_back({normal[0] / n, normal[1] / n, normal[2] / n});
        faceStart.push_back(static_cast<uint32_t>(faceVertices.size()));
        faceVertices.insert(faceVertices.end(), ids.begin(), ids.end());
        for (size_t i = 0; i < ids.size(); ++i) {
            Edge* e = edge(ids[i], ids[(i + 1) % ids.size()]);
            if (!e)
                continue;
            if (e->faceUses < 2)
                e->face[e->faceUses] = face;
            ++e->faceUses;
        }
    }

    // A face without area is a line (STL files carry lines as flat
    // triangles): its corners in order along it. Kept for finish().
    void lineFace(std::vector<uint32_t> ids) {
        const Point& start = points[ids[0]];
        const auto along = [&](uint32_t id) { return length(minus(points[id], start)); };
        const uint32_t far = *std::max_element(
            ids.begin(), ids.end(), [&](uint32_t a, uint32_t b) { return along(a) < along(b); });
        const Point direction = minus(points[far], start);
        std::sort(ids.begin(), ids.end(), [&](uint32_t a, uint32_t b) {
            return dot(minus(points[a], start), direction) <
                   dot(minus(points[b], start), direction);
        });
        lineFaces_.push_back(std::move(ids));
    }

    // Once every face is in: a line face adds the pieces between its corners
    // unless it runs along an edge of a real face from end to end (a sliver
    // left by a triangulation adds nothing); a piece that is an edge already
    // stays as it is.
    void finish() {
        for (const std::vector<uint32_t>& ids : lineFaces_) {
            if (hasEdge(ids.front(), ids.back()))
                continue;
            for (size_t i = 0; i + 1 < ids.size(); ++i)
                if (!hasEdge(ids[i], ids[i + 1]))
                    line(ids[i], ids[i + 1]);
        }
        lineFaces_.clear();
    }

    void line(uint32_t a, uint32_t b) {
        if (Edge* e = edge(a, b))
            e->line = true;
    }

    // An edge between exactly two faces that lie in one plane, on either side
    // of it: the diagonal of a split quad, the seam inside a flat region.
    bool inPlane(const Edge& e) const {
        if (e.line || e.faceUses != 2)
            return false;
        const Point& n1 = normals[e.face[0]];
        const Point& n2 = normals[e.face[1]];
        if (length(cross(n1, n2)) > kPlaneTolerance)
            return false;
        const Point& a = points[e.from];
        const Point d = minus(points[e.to], a);
        return side(e.face[0], a, d, n1) * side(e.face[1], a, d, n1) < 0;
    }

    std::vector<Point> points;
    std::vector<Edge> edges;
    size_t faces = 0;

private:
    static uint64_t edgeKey(uint32_t a, uint32_t b) {
        return (uint64_t(std::min(a, b)) << 32) | std::max(a, b);
    }
    bool hasEdge(uint32_t a, uint32_t b) const { return edgeIds_.find(edgeKey(a, b)).has_value(); }

    Edge* edge(uint32_t a, uint32_t b) {
        if (a == b)
            return nullptr;
        const auto [id, added] =
            edgeIds_.number(edgeKey(a, b), static_cast<uint32_t>(edges.size()));
        if (added)
            edges.push_back({a, b});
        return &edges[id];
    }

    // Which side of the line a + t·d the face lies on, within the plane of n.
    double side(uint32_t face, const Point& a, const Point& d, const Point& n) const {
        const uint32_t end =
            face + 1 < faceStart.size() ? faceStart[face + 1] : uint32_t(faceVertices.size());
        double sum = 0;
        for (uint32_t i = faceStart[face]; i < end; ++i)
            sum += dot(cross(minus(points[faceVertices[i]], a), d), n);
        return sum;
    }

    Numbering<std::array<uint32_t, 3>> ids_;
    Numbering<uint64_t> edgeIds_;
    std::vector<Point> normals;
    std::vector<uint32_t> faceStart, faceVertices;
    std::vector<std::vector<uint32_t>> lineFaces_;
};

void collectNode(const aiScene& scene, const aiNode& node, const aiMatrix4x4& parent,
                 EdgeCollector& collector) {
    const aiMatrix4x4 transform = parent * node.mTransformation;
    std::vector<uint32_t> ids;
    for (unsigned m = 0; m < node.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[node.mMeshes[m]];
        std::vector<uint32_t> welded(mesh.mNumVertices);
        for (unsigned v = 0; v < mesh.mNumVertices; ++v)
            welded[v] = collector.vertex(transform * mesh.mVertices[v]);
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            ids.clear();
            for (unsigned i = 0; i < face.mNumIndices; ++i)
                if (face.mIndices[i] < mesh.mNumVertices)
                    ids.push_back(welded[face.mIndices[i]]);
            if (ids.size() >= 3)
                collector.polygon(ids);
            else if (ids.size() == 2)
                collector.line(ids[0], ids[1]);
        }
    }
    for (unsigned c = 0; c < node.mNumChildren; ++c)
        collectNode(scene, *node.mChildren[c], transform, collector);
}

// --- Axes -------------------------------------------------------------------------

struct Up {
    Axis axis;
    bool negative = false;
    bool fromFile = false;
};

// Collada keeps its up axis in <asset><up_axis>X_UP|Y_UP|Z_UP</up_axis>
// (the library would turn the model itself, hiding the file's axes from --up).
std::optional<Up> colladaUpAxis(const std::string& head) {
    QXmlStreamReader xml(QByteArray::fromRawData(head.data(), qsizetype(head.size())));
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name().startsWith(u"library_"))
            break; // past the <asset> block
        if (xml.name() == u"up_axis") {
            const QString axis = xml.readElementText().trimmed();
            for (const Axis a : {Axis::X, Axis::Y, Axis::Z})
                if (axis == QStringLiteral("%1_UP").arg(QChar(axisName(a)).toUpper()))
                    return Up{a, false, true};
            break;
        }
    }
    return std::nullopt;
}

// The reader that read the file, as the library names it ("Collada
// Importer"): the file's format whatever its name says.
std::string formatOf(const aiScene& scene) {
    aiString format;
    if (scene.mMetaData && scene.mMetaData->Get("SourceAsset_Format", format))
        return format.C_Str();
    return {};
}

// 3DS files keep z up; the library turns them half-way about x to its own y
// up (its y is the file's z, its z the file's -y). This turns them back, so
// that --up names the file's axes.
const aiMatrix4x4 k3dsFileAxes(1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1);

Up upAxis(const aiScene& scene, const std::string& format, const std::optional<Axis>& given,
          const std::string& head) {
    if (given)
        return {*given};
    if (format.starts_with("Collada"))
        return colladaUpAxis(head).value_or(Up{Axis::Y, false, false}); // Collada's default
    int32_t axis = 0, sign = 1;
    if (scene.mMetaData && scene.mMetaData->Get("UpAxis", axis) && axis >= 0 && axis <= 2) {
        scene.mMetaData->Get("UpAxisSign", sign);
        return {static_cast<Axis>(axis), sign < 0, true};
    }
    const bool zUp = format.starts_with("Stereolithography") || format.starts_with("Discreet 3DS");
    return {zUp ? Axis::Z : Axis::Y};
}

// The model's point in scene axes: its up axis becomes z, turned so that the
// axes stay right-handed (y up: x, -z, y; x up: y, z, x).
Point toScene(const Point& p, const Up& up) {
    Point s;
    switch (up.axis) {
    case Axis::X:
        s = {p[1], p[2], p[0]};
        break;
    case Axis::Y:
        s = {p[0], -p[2], p[1]};
        break;
    case Axis::Z:
        s = p;
        break;
    }
    if (up.negative) // upside down: half a turn about y
        s = {-s[0], s[1], -s[2]};
    return s;
}

std::string fileText(const std::filesystem::path& file) {
    return file.string();
}

} // namespace

char axisName(Axis axis) {
    return axis == Axis::X ? 'x' : axis == Axis::Y ? 'y' : 'z';
}

ImportResult importModel(const std::filesystem::path& model, const ImportOptions& options) {
    if (options.size < 1 || options.size > 200 ||
        std::any_of(options.at.begin(), options.at.end(),
                    [](int c) { return c < -100 || c > 100; }))
        throw std::invalid_argument("a model's size is 1 to 200 and its centre on the grid");
    Assimp::Importer importer;
    auto* io = new ReaderIoSystem(model.string());
    importer.SetIOHandler(io); // the importer owns it
    importer.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_IGNORE_UP_DIRECTION, true);
    const aiScene* scene = importer.ReadFile(model.string(), 0);
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode) {
        std::string reason =
            !io->modelFailure.empty() ? io->modelFailure : std::string(importer.GetErrorString());
        while (!reason.empty() && (reason.back() == '.' || reason.back() == ' '))
            reason.pop_back();
        if (reason.empty())
            reason = "the model is incomplete";
        // The reader's messages name the file already.
        throw ImportError(io->modelFailure.empty() ? fileText(model) + ": " + reason : reason);
    }

    const std::string format = formatOf(*scene);
    EdgeCollector collector;
    collectNode(*scene, *scene->mRootNode,
                format.starts_with("Discreet 3DS") ? k3dsFileAxes : aiMatrix4x4(), collector);
    collector.finish();

    ImportResult result;
    result.faces = collector.faces;
    result.edges = collector.edges.size();
    const Up up = upAxis(*scene, format, options.up, io->modelHead);
    result.up = up.axis;
    result.upFromFile = up.fromFile;

    std::vector<const Edge*> kept;
    kept.reserve(collector.edges.size());
    for (const Edge& e : collector.edges) {
        if (collector.inPlane(e))
            ++result.droppedInPlane;
        else
            kept.push_back(&e);
    }
    if (kept.empty())
        throw ImportError(fileText(model) + ": the model holds no edges");

    // Centre and scale on the points the kept edges use.
    std::vector<Point> scenePoints(collector.points.size());
    Point low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const Edge* e : kept) {
        for (const uint32_t id : {e->from, e->to}) {
            scenePoints[id] = toScene(collector.points[id], up);
            for (int a = 0; a < 3; ++a) {
                if (!std::isfinite(scenePoints[id][a]))
                    throw ImportError(fileText(model) + ": the model has a point at infinity");
                low[a] = std::min(low[a], scenePoints[id][a]);
                high[a] = std::max(high[a], scenePoints[id][a]);
            }
        }
    }
    const double extent = std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
    if (!std::isfinite(extent))
        throw ImportError(fileText(model) + ": the model is too large to measure");
    result.scale = options.size / extent;
    const auto grid = [&](const Point& p, int a) {
        const double centre = (low[a] + high[a]) / 2;
        // Halves round up, so an odd --size spans exactly its number of units.
        return static_cast<int>(std::floor(options.at[a] + (p[a] - centre) * result.scale + 0.5));
    };

    // Rounded segments, each end packed in 3 x 10 bits, either way round.
    std::unordered_set<uint64_t> seen;
    seen.reserve(kept.size());
    const auto pack = [](int x, int y, int z) {
        return (uint64_t(x + 512) << 20) | (uint64_t(y + 512) << 10) | uint64_t(z + 512);
    };
    for (const Edge* e : kept) {
        Segment s;
        for (int a = 0; a < 3; ++a) {
            s[a] = grid(scenePoints[e->from], a);
            s[3 + a] = grid(scenePoints[e->to], a);
        }
        const uint64_t from = pack(s[0], s[1], s[2]), to = pack(s[3], s[4], s[5]);
        if (from == to || !seen.insert((std::min(from, to) << 30) | std::max(from, to)).second) {
            ++result.droppedRounding;
            continue;
        }
        result.segments.push_back(s);
    }
    if (result.segments.empty())
        throw ImportError(fileText(model) + ": every edge of the model is a point on the grid");
    for (const Segment& s : result.segments)
        for (const int c : s)
            if (c < -127 || c > 127)
                throw ImportError(fileText(model) + ": placed by --at the model reaches " +
                                  std::to_string(c) + ", beyond what the engine holds (-127..127)");

    if (options.max && result.segments.size() > *options.max) {
        const auto squared = [](const Segment& s) {
            const int64_t dx = s[3] - s[0], dy = s[4] - s[1], dz = s[5] - s[2];
            return dx * dx + dy * dy + dz * dz;
        };
        std::stable_sort(
            result.segments.begin(), result.segments.end(),
            [&](const Segment& a, const Segment& b) { return squared(a) > squared(b); });
        result.droppedPastMax = result.segments.size() - *options.max;
        result.segments.resize(*options.max);
    }
    return result;
}

TextLines lineRecords(const std::vector<Segment>& segments) {
    TextLines lines;
    lines.reserve(segments.size());
    for (const Segment& s : segments) {
        CoordinateTexts texts;
        for (size_t i = 0; i < 6; ++i)
            texts[i] = QString::number(s[i]);
        padCoordinateTexts(texts);
        lines.push_back(composeLineRecord(texts).toStdString());
    }
    return lines;
}

} // namespace torvex::exchange
