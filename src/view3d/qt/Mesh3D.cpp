#include "view3d/qt/Mesh3D.h"

#include <new>
#include <qopengl.h>

#include "model/DataDoc.h"

namespace surface {

bool CMeshLists::BuildArrays(const doc::CDataDoc& surface, bool walls) {
    FreeArrays();
    const std::size_t points =
        std::size_t(std::max(surface.columns, 0)) * std::size_t(std::max(surface.rows, 0));
    if (points == 0 || surface.heights.size() != points)
        return false;
    try {
        BuildVertices(surface.heights.data(), surface.columns, surface.rows, m_mesh);
        BuildNormals(m_mesh);
        if (walls)
            BuildWalls(m_mesh, m_walls);
        m_bWalls = walls;
        if (points > kPreviewVertices) {
            std::vector<float> reduced;
            int columns = 0, rows = 0;
            Reduce(surface.heights.data(), surface.columns, surface.rows, kPreviewVertices, reduced, columns,
                   rows);
            BuildVertices(reduced.data(), columns, rows, m_preview);
            BuildNormals(m_preview);
        }
        return true;
    } catch (const std::bad_alloc&) {
        FreeArrays();
        return false;
    }
}

void CMeshLists::FreeArrays() {
    m_mesh = CMeshGrid();
    m_preview = CMeshGrid();
    m_walls = CWalls();
    m_bWalls = false;
}

std::size_t CMeshLists::Bytes() const {
    return m_mesh.Bytes() + m_preview.Bytes() + m_walls.Bytes();
}

void CMeshLists::DrawStrips(const CMeshGrid& mesh) {
    if (mesh.columns < 2 || mesh.rows < 2)
        return;
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mesh.vertices.data());
    glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
    std::vector<std::uint32_t> indices;
    for (int i = 0; i + 1 < mesh.rows; ++i) {
        StripIndices(mesh.columns, i, indices);
        glDrawElements(GL_QUAD_STRIP, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
    }
    glPopClientAttrib();
}

// Lighting, light 0 and colour material on for the mesh only: the walls and outline after it are
// drawn in flat colours.
void CMeshLists::CompileMesh(const CMeshGrid& mesh, unsigned list) const {
    glNewList(list, GL_COMPILE);
    glPushAttrib(GL_LIGHTING_BIT | GL_ENABLE_BIT | GL_POLYGON_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glPolygonMode(GL_FRONT, GL_FILL);
    DrawStrips(mesh);
    glPopAttrib();
    glEndList();
}

void CMeshLists::CompileWalls(unsigned list) const {
    glNewList(list, GL_COMPILE);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    for (const std::vector<float>* wall : {&m_walls.a, &m_walls.b, &m_walls.c, &m_walls.d}) {
        if (wall->size() < 12)
            continue;
        glVertexPointer(3, GL_FLOAT, 0, wall->data());
        glDrawArrays(GL_QUAD_STRIP, 0, static_cast<GLsizei>(wall->size() / 3));
    }
    glPopClientAttrib();
    glEndList();
}

// The box's vertical corner edges and bottom edges: for walls a and b from the surface point of the
// first edge point down to its foot and along the feet; for c and d from the surface point of the
// last one down and back along the feet. Scaled out a little so that the lines lie on the walls.
void CMeshLists::CompileOutline(unsigned list) const {
    glNewList(list, GL_COMPILE);
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glScalef(1.002f, 1.002f, 1.0f);
    glColor3f(0.0f, 0.0f, 0.0f);
    auto vertex = [](const std::vector<float>& wall, std::size_t k) { glVertex3fv(&wall[3 * k]); };
    for (const std::vector<float>* wall : {&m_walls.a, &m_walls.b}) {
        const std::size_t points = wall->size() / 6;
        if (points == 0)
            continue;
        glBegin(GL_LINE_STRIP);
        vertex(*wall, 0);
        for (std::size_t p = 0; p < points; ++p)
            vertex(*wall, 2 * p + 1);
        glEnd();
    }
    for (const std::vector<float>* wall : {&m_walls.c, &m_walls.d}) {
        const std::size_t points = wall->size() / 6;
        if (points == 0)
            continue;
        glBegin(GL_LINE_STRIP);
        vertex(*wall, 2 * (points - 1) + 1);
        for (std::size_t p = points; p-- > 0;)
            vertex(*wall, 2 * p);
        glEnd();
    }
    glPopMatrix();
    glPopAttrib();
    glEndList();
}

void CMeshLists::BuildLists(bool newNames) {
    if (newNames) {
        DeleteLists();
        const bool list = m_mesh.vertices.size() / 3 <= kListVertices;
        m_nMesh = list ? glGenLists(1) : 0;
        m_nPreview = HasPreview() ? glGenLists(1) : 0;
        m_nWalls = m_bWalls ? glGenLists(2) : 0;
        m_nOutline = m_bWalls ? m_nWalls + 1 : 0;
        m_bNamed = true;
    }
    if (m_nMesh)
        CompileMesh(m_mesh, m_nMesh);
    if (m_nPreview)
        CompileMesh(m_preview, m_nPreview);
    if (m_nWalls) {
        CompileWalls(m_nWalls);
        CompileOutline(m_nOutline);
    }
}

void CMeshLists::DeleteLists(bool keepNames) {
    for (unsigned list : {m_nMesh, m_nPreview, m_nWalls, m_nOutline})
        if (list)
            glDeleteLists(list, 1);
    if (keepNames)
        return;
    m_nMesh = m_nPreview = m_nWalls = m_nOutline = 0;
    m_bNamed = false;
}

void CMeshLists::DrawMesh(bool preview) const {
    if (preview && HasPreview()) {
        // The preview's model is smaller by the ratio of the grids: scaled back to the full one's place.
        const float sx = static_cast<float>(m_mesh.columns) / static_cast<float>(m_preview.columns);
        const float sy = static_cast<float>(m_mesh.rows) / static_cast<float>(m_preview.rows);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glScalef(sx, sy, sx);
        if (m_nPreview)
            glCallList(m_nPreview);
        glPopMatrix();
        return;
    }
    if (m_nMesh) {
        glCallList(m_nMesh);
        return;
    }
    // Too large for a list: the same state as the list's, from the arrays.
    glPushAttrib(GL_LIGHTING_BIT | GL_ENABLE_BIT | GL_POLYGON_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glPolygonMode(GL_FRONT, GL_FILL);
    DrawStrips(m_mesh);
    glPopAttrib();
}

void CMeshLists::DrawWalls() const {
    if (m_nWalls)
        glCallList(m_nWalls);
}

void CMeshLists::DrawOutline() const {
    if (m_nOutline)
        glCallList(m_nOutline);
}

} // namespace surface
