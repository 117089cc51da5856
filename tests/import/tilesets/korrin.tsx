<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.10" name="korrin" tilewidth="32" tileheight="32" tilecount="10" columns="10">
 <image source="../korrin-tiles.png" width="320" height="32"/>
</tileset>
