export const PACKAGE_VERSION = '45.0';
