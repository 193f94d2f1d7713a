// Placeholder translation unit until the main window lands; removed by that work.
namespace app {}
