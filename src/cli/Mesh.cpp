#include "cli/Mesh.h"

#include "framework/fwText.h"
#include "model/DataDoc.h"
#include "view3d/Mesh.h"
#include "view3d/Stl.h"

namespace cli {

std::string ParseMeshOptions(const std::vector<std::string>& args, CMeshOptions& options) {
    const std::string problem = ParseFileArguments(args, options.settings, options.file, options.image,
                                                   [&](std::size_t& i) -> std::optional<std::string> {
                                                       const std::string& a = args[i];
                                                       if (a == "--stl") {
                                                           if (i + 1 >= args.size() || args[i + 1].empty())
                                                               return "--stl needs a file name";
                                                           options.stl = args[++i];
                                                       } else if (a == "--ascii") {
                                                           options.ascii = true;
                                                       } else {
                                                           return std::nullopt;
                                                       }
                                                       return std::string();
                                                   });
    if (!problem.empty())
        return problem;
    if (options.stl.empty())
        return "mesh needs --stl OUT";
    return std::string();
}

bool WriteSurfaceStl(const doc::CDataDoc& processed, const CMeshOptions& options, std::string& problem) {
    const int columns = processed.columns, rows = processed.rows;
    if (columns < 1 || rows < 1 || processed.heights.size() != std::size_t(columns) * std::size_t(rows)) {
        problem = options.file + " has no surface to model";
        return false;
    }
    // The normals are the views' shading: a solid's facets carry their own.
    surface::CMeshGrid mesh;
    surface::BuildVertices(processed.heights.data(), columns, rows, mesh);
    if (mesh.Empty()) {
        problem = "a model of " + std::to_string(columns) + " x " + std::to_string(rows) +
                  " points is more than this machine can hold";
        return false;
    }
    std::wstring why;
    if (surface::WriteStl(options.stl, mesh,
                          options.ascii ? surface::StlFormat::Ascii : surface::StlFormat::Binary, why))
        return true;
    problem = fw::ToUtf8(why);
    return false;
}

} // namespace cli
