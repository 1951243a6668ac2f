#include "render3d/render_pipeline.h"

RenderPipeline::RenderPipeline(Scene3D& owner, int pipelineType) : type(pipelineType), scene(owner) {
    renderList.reserve(256);
}
