// Keeps the test-support library non-empty while it has no helpers of its own.
namespace pelloro_test_support {
int kLinked = 0;
}
