#include "app/render_frame_set.h"

#include <exception>

#include "html/load/html_reader.h"
#include "html/load/png_band_writer.h"
#include "html/view/frame_viewer.h"
#include "platform/base/files.h"
#include "platform/graphics/canvas.h"

bool IsFrameSetFile(const std::string& path) {
    if (!FileExists(path))
        return false;
    return IsFrameSetDocument(THtmlSource::File(path));
}

bool RenderFrameSet(const std::string& path, int32_t width, int32_t height, TColor background,
                    const std::string& output, std::string& error) {
    TFrameViewer viewer;
    viewer.SetBounds(0, 0, width, height);
    viewer.SetDefBackground(background);
    try {
        viewer.Load(path);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    TCanvas canvas(width, height);
    viewer.PaintTo(canvas, 0, 0);
    TPngBandWriter png;
    if (!png.Open(output, width, height, error))
        return false;
    if (!png.AddRows(canvas, height, error))
        return false;
    return png.Close(error);
}
