#include "tests/engine/engine_fixture.h"
namespace tf::engine::testing { namespace {
class DataFileTest : public EngineTest {};
TEST_P(DataFileTest, Placeholder) {}
TF_POOL_SIZES(DataFileTest);
}}
