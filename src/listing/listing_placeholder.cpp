// The file list export lives in this library.
namespace filarion::listing {}
