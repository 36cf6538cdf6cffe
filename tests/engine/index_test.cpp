#include "tests/engine/engine_fixture.h"
namespace tf::engine::testing { namespace {
class IndexTest : public EngineTest {};
TEST_P(IndexTest, Placeholder) {}
TF_POOL_SIZES(IndexTest);
}}
