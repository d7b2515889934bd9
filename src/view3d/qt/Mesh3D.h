#pragma once
// The surface's mesh in OpenGL: the arrays of surface::CMeshGrid drawn as quad strips between adjacent
// rows with lighting, and for the 3D view the side walls and the box's outline.
//
// The lists are compiled once per build and replayed on every frame. A mesh of more than kListVertices
// vertices is drawn from its arrays instead of being copied into a list (a list holds every vertex of
// each strip again, twice the arrays). While the model is turned, a preview of at most kPreviewVertices
// vertices, made by the same formulas from a resampled grid, stands for a larger mesh: a 4096 x 4096
// scan is 33 million triangles, which a software renderer takes seconds to draw.
#include <cstddef>
#include <vector>

#include "view3d/Mesh.h"

namespace doc {
class CDataDoc;
}

namespace surface {

class CMeshLists {
public:
    static constexpr std::size_t kListVertices = std::size_t(1024) * 1024;
    static constexpr std::size_t kPreviewVertices = std::size_t(512) * 512;

    CMeshLists() = default;
    CMeshLists(const CMeshLists&) = delete;
    CMeshLists& operator=(const CMeshLists&) = delete;
    // The lists belong to a context: DeleteLists must run in it first.
    virtual ~CMeshLists() = default;

    // The arrays of a surface: the mesh, with `walls` its four walls, and the preview when the mesh is
    // larger than one. False, with nothing built, for a surface of no points or when memory runs out.
    bool BuildArrays(const doc::CDataDoc& surface, bool walls);
    void FreeArrays();
    // The lists in the current context. With newNames the names are generated; otherwise the lists are
    // compiled under the names they have (a printing context sharing nothing with the screen's).
    void BuildLists(bool newNames);
    // Deletes the lists of the current context (names kept for a printing context when keepNames).
    void DeleteLists(bool keepNames = false);

    // The lit mesh, or its preview when asked and there is one.
    void DrawMesh(bool preview) const;
    // The walls as quad strips in the current colour, and the outline in black.
    void DrawWalls() const;
    void DrawOutline() const;

    const CMeshGrid& Mesh() const { return m_mesh; }
    const CWalls& Walls() const { return m_walls; }
    bool HasPreview() const { return !m_preview.Empty(); }
    const CMeshGrid& Preview() const { return m_preview; }
    // What the arrays hold, in bytes.
    std::size_t Bytes() const;

private:
    void CompileMesh(const CMeshGrid& mesh, unsigned list) const;
    static void DrawStrips(const CMeshGrid& mesh);
    void CompileWalls(unsigned list) const;
    void CompileOutline(unsigned list) const;

    CMeshGrid m_mesh;
    CMeshGrid m_preview;
    CWalls m_walls;
    bool m_bWalls = false;
    // 0 when none: the mesh list is 0 for a mesh drawn from its arrays.
    unsigned m_nMesh = 0, m_nPreview = 0, m_nWalls = 0, m_nOutline = 0;
    bool m_bNamed = false;
};

// The mesh of a model class, as the 3D and bump models hold it.
template <class CModel> class AT3D : public CMeshLists {
public:
    explicit AT3D(CModel* model = nullptr) : m_pModel(model) {}
    CModel* model() const { return m_pModel; }

private:
    CModel* m_pModel;
};

} // namespace surface
